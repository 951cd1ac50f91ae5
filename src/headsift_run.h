// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "exit_status.h"
#include "textio/line_writer.h"
#include "textio/platform/byte_channel.h"
#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// What headsift is handed: the channels it reads from, the buffer it reads
// through, and where its output and reports go.
struct HeadsiftStreams {
  ByteChannel& in;           // standard input
  NamedInput& named;         // each FILE argument in turn
  NamedOutput& output_file;  // -o FILE, in standard output's place
  StreamBuffer& in_buffer;
  LineWriter& out;
  TextOutput& err;
  // Standard input and output are one file, with input left to read, or one pipe.
  bool input_is_output = false;
};

inline constexpr std::string_view kHeadsift = "headsift";

// headsift reads and writes every stream in binary mode: a header goes out
// with its line ends as they came, and its offsets count the input's bytes.
inline constexpr StreamMode kHeadsiftMode = StreamMode::Binary;

// The program: checks the options (program name first), then copies each
// message's header from each FILE argument in turn, or from standard input.
// Answers the exit status; standard output may still hold buffered bytes.
[[nodiscard]] int run_headsift(std::span<const char* const> args, HeadsiftStreams streams);

}  // namespace fieldsift
