// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "textio/platform/platform.h"
#include "textio/stream_kind.h"

namespace fieldsift {

// The system end of one standard stream. The text-mode layer reaches the
// system only through this, so tests can script reads and writes.
class ByteChannel {
 public:
  ByteChannel() = default;
  ByteChannel(const ByteChannel&) = delete;  // a channel is one stream's, never copied
  ByteChannel& operator=(const ByteChannel&) = delete;
  ByteChannel(ByteChannel&&) = delete;
  ByteChannel& operator=(ByteChannel&&) = delete;
  virtual ~ByteChannel() = default;

  [[nodiscard]] virtual StreamKind kind() const = 0;
  [[nodiscard]] virtual IoResult read(std::span<unsigned char> into) = 0;
  [[nodiscard]] virtual IoResult write(std::span<const unsigned char> bytes) = 0;
  [[nodiscard]] virtual bool step_back() = 0;
};

// A standard handle of this process.
class HandleChannel final : public ByteChannel {
 public:
  explicit HandleChannel(StdHandle handle) : handle_(handle) {}
  [[nodiscard]] StreamKind kind() const override { return handle_kind(handle_); }
  [[nodiscard]] IoResult read(std::span<unsigned char> into) override {
    return read_handle(handle_, into);
  }
  [[nodiscard]] IoResult write(std::span<const unsigned char> bytes) override {
    return write_handle(handle_, bytes);
  }
  [[nodiscard]] bool step_back() override { return step_back_one_byte(handle_); }

 private:
  StdHandle handle_;
};

}  // namespace fieldsift
