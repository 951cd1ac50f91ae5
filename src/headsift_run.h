// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "textio/line_writer.h"
#include "textio/platform/byte_channel.h"
#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// What headsift is handed: the channels it reads from, the buffer it reads
// through, and where its output and reports go.
struct HeadsiftStreams {
  ByteChannel& in;     // standard input
  ByteChannel& named;  // the file last opened by name
  StreamBuffer& in_buffer;
  LineWriter& out;
  TextOutput& err;
};

// The program: checks the options (program name first), then copies each
// message's header from each FILE argument in turn, or from standard input.
// Answers the exit status; standard output may still hold buffered bytes.
[[nodiscard]] int run_headsift(std::span<const char* const> args, HeadsiftStreams streams);

// Flushes standard output and reports if any write to it failed for a
// reason other than a gone reader. Answers the final exit status.
[[nodiscard]] int finish_headsift(HeadsiftStreams streams, int status);

}  // namespace fieldsift
