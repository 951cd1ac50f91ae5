// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// Every call into the operating system goes through these functions. One
// source file per platform implements them; nothing else includes a system
// header.

#include <cstddef>
#include <span>
#include <string_view>

#include "textio/stream_kind.h"

namespace fieldsift {

enum class StdHandle { Input, Output, Error };

// The outcome of one read or write. error is the platform's error number of a
// failure, 0 when there was none; count is the bytes moved before it.
struct IoResult {
  std::size_t count = 0;
  int error = 0;
};

inline constexpr int kBadDescriptor = 9;

// Once, before any other call: classifies the three handles and makes a reader
// that has gone away, or a file grown past its limit, show up as a failed
// write rather than a signal.
void start_platform();

// Whether standard input and output are one regular file and input is left
// to read at the input's position: reading on would meet the program's own
// output.
[[nodiscard]] bool input_is_output();

[[nodiscard]] StreamKind handle_kind(StdHandle handle);

// One read of at most into.size() bytes; count 0 without error is end of input.
[[nodiscard]] IoResult read_handle(StdHandle handle, std::span<unsigned char> into);

// Writes all of bytes, or fails part-way with count telling how many went out.
[[nodiscard]] IoResult write_handle(StdHandle handle, std::span<const unsigned char> bytes);

// Moves a disk file's read position back by one byte.
[[nodiscard]] bool step_back_one_byte(StdHandle handle);

[[nodiscard]] bool is_broken_pipe(int error);

// The platform's one-line text for an error number, independent of locale.
[[nodiscard]] std::string_view error_description(int error);

[[noreturn]] void exit_process(int status);

}  // namespace fieldsift
