// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "exit_status.h"
#include "textio/line_reader.h"
#include "textio/line_writer.h"
#include "textio/text_mode.h"

namespace fieldsift {

struct RunStreams {
  LineReader& in;
  LineWriter& out;
  TextOutput& err;
  // Where a line too long for the stream buffer is gathered, kLineBufferSize bytes.
  std::span<unsigned char> line_area;
  // Standard input and output are one file, with input left to read.
  bool input_is_output = false;
};

// The program: checks the command line (program name first), then copies
// the lines of the named header field from input to output. Answers the
// exit status; standard output may still hold buffered lines.
[[nodiscard]] int run(std::span<const char* const> args, RunStreams streams);

// Flushes standard output and reports if any write to it failed for a
// reason other than a gone reader. Answers the final exit status.
[[nodiscard]] int finish_output(RunStreams streams, int status);

}  // namespace fieldsift
