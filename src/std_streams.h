// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>

#include "textio/error_report.h"
#include "textio/line_writer.h"
#include "textio/platform/byte_channel.h"
#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// The standard streams of the process and the buffers both programs read
// and write through, set up once and kept until it ends; the rest of a
// program is handed what it needs from here. Only a program's entry creates
// them. Heap buffers are obtained at their first use; the fixed areas cost
// nothing untouched.
struct StdStreams {
  StdStreams(StreamMode mode, PipeBlocks pipe)
      : out_text(out_channel, out_stage, mode),
        err_text(err_channel, err_stage, mode),
        out(out_text, out_block, pipe) {}

  HandleChannel in_channel{Handle::Input};
  HandleChannel out_channel{Handle::Output};
  HandleChannel err_channel{Handle::Error};
  StreamBuffer in_buffer;
  StreamBuffer out_block;
  StreamBuffer out_stage;
  // A report is small, and must go out even when no memory is left.
  std::array<unsigned char, kReportStageSize> report_area{};
  StreamBuffer err_stage{report_area};
  TextOutput out_text;
  TextOutput err_text;
  LineWriter out;
};

}  // namespace fieldsift
