// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "textio/stream_buffer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// Reads an input as its bytes come, through a buffer its owner hands it, for
// a program that looks at bytes rather than lines. The buffer is obtained
// once, large enough for any input; each input reads its own size within it.
class ByteReader {
 public:
  ByteReader(TextInput& in, StreamBuffer& buffer) : in_(in), buffer_(buffer) {}

  // The bytes of the next read; empty once no input is left or a read has
  // failed. Valid until the next call.
  [[nodiscard]] std::span<const unsigned char> read();

  // Whether the input has caught up with whoever writes it: the next read
  // would wait for a pipe's writer or a typist. A file never has.
  [[nodiscard]] bool caught_up() {
    return in_.kind() != StreamKind::DiskFile && !in_.channel.ready();
  }

  [[nodiscard]] bool failed() const { return error_ != 0; }
  [[nodiscard]] int error() const { return error_; }

 private:
  TextInput& in_;
  StreamBuffer& buffer_;
  int error_ = 0;  // of the read that failed; reading stops there
};

}  // namespace fieldsift
