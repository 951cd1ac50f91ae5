#pragma once

#include <span>

#include "textio/platform.h"
#include "textio/stream_kind.h"

namespace fieldsift {

// The system end of one standard stream. The text-mode layer reaches the
// system only through this, so tests can script reads and writes.
class ByteChannel {
 public:
  [[nodiscard]] virtual StreamKind kind() const = 0;
  [[nodiscard]] virtual IoResult read(std::span<unsigned char> into) = 0;
  [[nodiscard]] virtual IoResult write(std::span<const unsigned char> bytes) = 0;
  [[nodiscard]] virtual bool step_back() = 0;

 protected:
  ~ByteChannel() = default;
};

// A standard handle of this process.
class HandleChannel final : public ByteChannel {
 public:
  explicit HandleChannel(StdHandle handle) : handle_(handle) {}
  StreamKind kind() const override { return handle_kind(handle_); }
  IoResult read(std::span<unsigned char> into) override { return read_handle(handle_, into); }
  IoResult write(std::span<const unsigned char> bytes) override {
    return write_handle(handle_, bytes);
  }
  bool step_back() override { return step_back_one_byte(handle_); }

 private:
  StdHandle handle_;
};

}  // namespace fieldsift
