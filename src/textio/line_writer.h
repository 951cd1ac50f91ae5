// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>

#include "textio/line.h"
#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// Writes to an output through a buffer its owner hands it: line by line to
// a device, in blocks of block_size() bytes to a pipe or file.
class LineWriter {
 public:
  LineWriter(TextOutput& out, StreamBuffer& block, PipeBlocks pipe = PipeBlocks::Small)
      : out_(out), block_(block), kind_(out.kind()), pipe_(pipe) {}

  // The text up to its first NUL byte, then a line feed. Answers whether all
  // of it was accepted; bytes the system refuses are lost.
  bool write_line(std::span<const unsigned char> line);

  // A line in pieces, then its end. A line's text ends at its first NUL: the
  // rest of that line is dropped, whichever piece it is in.
  bool write_part(std::span<const unsigned char> bytes);
  bool end_line();

  // Bytes as they are, whole lines and parts of lines alike; a device gets
  // each line once it has ended.
  bool write_bytes(std::span<const unsigned char> bytes);

  // Room for size bytes written in place at the buffer's end, or none where
  // the buffer has less left, or the output is a device: a writer that puts
  // a line together may do so there, not copy it in. What is written there
  // is the output's only once put(n) says how much.
  [[nodiscard]] std::span<unsigned char> room(std::size_t size) {
    if (line_by_line()) return {};
    const std::span<unsigned char> block = obtain_block();
    if (block.size() - used_ < size) return {};
    return block.subspan(used_, size);
  }
  // The first n bytes of the room last answered are written; a full buffer
  // goes out at once.
  bool put(std::size_t n) {
    used_ += n;
    if (used_ == block_.bytes().size()) return flush();
    return true;
  }
  // Hands every buffered byte to the system.
  bool flush();

  // The output now leads elsewhere (a file opened in its place), before
  // anything is written: it is buffered as its kind says.
  void reopened() { kind_ = out_.kind(); }

  // Whether any write failed, and the first failure that was not a broken
  // pipe (0 if none): a reader that has gone away is no error of ours.
  [[nodiscard]] bool failed() const { return failed_; }
  [[nodiscard]] int error() const { return error_; }

 private:
  bool append(std::span<const unsigned char> bytes);
  bool hand_over(std::span<const unsigned char> bytes);
  bool flush_whole_lines();
  std::span<unsigned char> obtain_block() { return block_.obtain(block_size(kind_, pipe_)); }
  [[nodiscard]] bool line_by_line() const { return kind_ == StreamKind::Device; }

  TextOutput& out_;
  StreamBuffer& block_;  // obtained at the first write, block_size() bytes
  StreamKind kind_;      // a device sees each line as soon as it ends
  PipeBlocks pipe_;
  std::size_t used_ = 0;   // used_ < the block's size between calls: a full buffer goes out at once
  bool past_nul_ = false;  // the line being written met a NUL: the rest of it is not text
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace fieldsift
