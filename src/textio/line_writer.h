// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>

#include "textio/line.h"
#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// Writes lines to standard output: line by line to a device, in blocks of
// block_size() bytes to a pipe or file.
class LineWriter {
 public:
  explicit LineWriter(TextStream& out);

  // The text up to its first NUL byte, then a line feed. Answers whether all
  // of it was accepted; bytes the system refuses are lost.
  bool write_line(std::span<const unsigned char> text);

  // A line too long to be handed over at once: its bytes in pieces, then its end.
  bool write_part(std::span<const unsigned char> bytes);
  bool end_line();

  // Hands every buffered byte to the system.
  bool flush();

  // Whether any write failed, and the first failure that was not a broken
  // pipe (0 if none): a reader that has gone away is no error of ours.
  [[nodiscard]] bool failed() const { return failed_; }
  [[nodiscard]] int error() const { return error_; }

 private:
  bool hand_over(std::span<const unsigned char> bytes);
  std::span<unsigned char> obtain_block() { return buffer_.obtain(block_size(kind_)); }
  [[nodiscard]] bool line_by_line() const { return kind_ == StreamKind::Device; }

  TextStream& out_;
  StreamKind kind_;       // a device sees each line as soon as it ends
  StreamBuffer buffer_;   // obtained at the first write, block_size() bytes
  std::size_t used_ = 0;  // used_ < the block's size between calls: a full buffer goes out at once
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace fieldsift
