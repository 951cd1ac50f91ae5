// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "textio/line.h"
#include "textio/scan/byte_match.h"
#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// Reads a text-mode input through a buffer its owner hands it, cut into
// lines at each line end.
class LineReader {
 public:
  LineReader(TextInput& in, StreamBuffer& buffer) : in_(in), buffer_(buffer) {}

  // The next line, or none when no line is left. Each call reads on afresh,
  // even after an end of input or a failure. head points either into the
  // stream buffer or into line_buffer, and is valid until the next call.
  [[nodiscard]] std::optional<Line> read_line(std::span<unsigned char> line_buffer);

  // The next piece of the current line beyond its head; empty once it has ended.
  [[nodiscard]] std::span<const unsigned char> read_rest();

  // Passes over whole lines until one begins with a byte that matches first,
  // stopping at its start, or until no line is left. Reads exactly as the
  // read_line calls it stands for would have.
  void skip_lines_not_starting_with(ByteMatch first);

  // The first byte of the next line, read in if need be; none when no line
  // is left. Reads as the read_line call after it would have.
  [[nodiscard]] std::optional<unsigned char> peek_line_start();

  // Whether any read has failed during the run, and the latest failure's number.
  [[nodiscard]] bool failed() const { return failed_; }
  [[nodiscard]] int error() const { return error_; }

 private:
  // The unread bytes up to the next line end, or all of them if there is
  // none; pos_ moves past them and past that line end.
  struct Run {
    std::span<const unsigned char> bytes;
    bool ends_line;
  };
  [[nodiscard]] Run take_run(std::size_t limit);
  [[nodiscard]] bool refill();
  void skip_rest();
  [[nodiscard]] std::span<const unsigned char> unread() const {
    return buffer_.bytes().first(end_);
  }

  TextInput& in_;
  StreamBuffer&
      buffer_;  // obtained at the first refill; each refill reads as much as text_read wants
  std::size_t pos_ = 0;  // pos_ <= end_; bytes in [pos_, end_) are not yet handed out
  std::size_t end_ = 0;
  bool in_line_ = false;  // a head went out with has_rest, and the line's end is still ahead
  // A skip met the end of input at a line start; the next refill answers it.
  bool end_pending_ = false;
  bool failed_ = false;  // once set, stays set
  int error_ = 0;
};

}  // namespace fieldsift
