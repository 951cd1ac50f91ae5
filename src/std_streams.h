// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include "textio/line_reader.h"
#include "textio/line_writer.h"
#include "textio/platform/byte_channel.h"
#include "textio/text_mode.h"

namespace fieldsift {

// The three standard streams of the process, set up once and kept until it
// ends. Only the program's entry creates them.
struct StdStreams {
  HandleChannel in_channel{StdHandle::Input};
  HandleChannel out_channel{StdHandle::Output};
  HandleChannel err_channel{StdHandle::Error};
  TextStream in_text{in_channel};
  TextStream out_text{out_channel};
  TextStream err_text{err_channel};
  LineReader in{in_text};
  LineWriter out{out_text};
};

}  // namespace fieldsift
