// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "textio/platform/platform.h"
#include "textio/platform/stream_kind.h"

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
  // Whether a read now would return without waiting for a writer or a typist.
  [[nodiscard]] virtual bool ready() = 0;
  [[nodiscard]] virtual IoResult write(std::span<const unsigned char> bytes) = 0;
  [[nodiscard]] virtual bool step_back() = 0;
};

// A standard handle of this process.
class HandleChannel final : public ByteChannel {
 public:
  explicit HandleChannel(Handle handle) : handle_(handle) {}
  [[nodiscard]] StreamKind kind() const override { return handle_kind(handle_); }
  [[nodiscard]] IoResult read(std::span<unsigned char> into) override {
    return read_handle(handle_, into);
  }
  [[nodiscard]] bool ready() override { return input_ready(handle_); }
  [[nodiscard]] IoResult write(std::span<const unsigned char> bytes) override {
    return write_handle(handle_, bytes);
  }
  [[nodiscard]] bool step_back() override { return step_back_one_byte(handle_); }

 private:
  Handle handle_;
};

// An input opened by name, a FILE argument: one at a time, each closed before
// the next is opened. Tests script one.
class NamedInput : public ByteChannel {
 public:
  // Opens the file, closing the one opened before; 0 or the error number.
  [[nodiscard]] virtual int open(const char* name) = 0;
  virtual void close() = 0;
  // Whether reading it would meet the program's own output.
  [[nodiscard]] virtual bool is_output() = 0;
};

// The program's output opened by name, an -o FILE, which takes standard
// output's place. Tests script one.
class NamedOutput {
 public:
  NamedOutput() = default;
  NamedOutput(const NamedOutput&) = delete;
  NamedOutput& operator=(const NamedOutput&) = delete;
  NamedOutput(NamedOutput&&) = delete;
  NamedOutput& operator=(NamedOutput&&) = delete;
  virtual ~NamedOutput() = default;

  // Creates or empties the file; 0 or the error number.
  [[nodiscard]] virtual int open(const char* name) = 0;
  // Whether reading standard input would meet the output, once opened.
  [[nodiscard]] virtual bool input_is_output() = 0;
};

// The file system's, through the Output handle.
class OutputFile final : public NamedOutput {
 public:
  [[nodiscard]] int open(const char* name) override { return open_output(name); }
  [[nodiscard]] bool input_is_output() override {
    return fieldsift::input_is_output(Handle::Input);
  }
};

// The files of the file system, through the Named handle.
class NamedFile final : public NamedInput {
 public:
  [[nodiscard]] StreamKind kind() const override { return channel_.kind(); }
  [[nodiscard]] IoResult read(std::span<unsigned char> into) override {
    return channel_.read(into);
  }
  [[nodiscard]] bool ready() override { return channel_.ready(); }
  [[nodiscard]] IoResult write(std::span<const unsigned char> bytes) override {
    return channel_.write(bytes);
  }
  [[nodiscard]] bool step_back() override { return channel_.step_back(); }
  [[nodiscard]] int open(const char* name) override { return open_named(name); }
  void close() override { close_named(); }
  [[nodiscard]] bool is_output() override { return input_is_output(Handle::Named); }

 private:
  HandleChannel channel_{Handle::Named};
};

}  // namespace fieldsift
