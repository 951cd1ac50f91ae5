// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "bytes/ascii.h"
#include "textio/line.h"
#include "textio/platform/byte_channel.h"
#include "textio/stream_buffer.h"

namespace fieldsift {

inline constexpr unsigned char kEndOfFileMark = 0x1A;

// A standard stream's bytes pass either in text mode, where lines end in CR
// LF on the system's side and in a bare LF on the program's and a 0x1A marks
// the end of input, or in binary mode, as they are.
enum class StreamMode { Text, Binary };

// The input side of a stream.
struct TextInput {
  explicit TextInput(ByteChannel& c, StreamMode m = StreamMode::Text) : channel(c), mode(m) {}

  [[nodiscard]] StreamKind kind() const { return channel.kind(); }

  ByteChannel& channel;
  StreamMode mode;
  bool eof_mark = false;  // a 0x1A was met on a pipe or file: no more input, ever
  // Read early to settle a CR; goes in front of the next read.
  std::optional<unsigned char> lookahead;
  int pending_error = 0;  // a read failed while settling a CR; the next call answers it
};

// The output side of a stream. The stage is where text mode puts a CR before
// each LF; its owner decides its size.
struct TextOutput {
  TextOutput(ByteChannel& c, StreamBuffer& s, StreamMode m = StreamMode::Text)
      : channel(c), stage(s), mode(m) {}

  [[nodiscard]] StreamKind kind() const { return channel.kind(); }

  ByteChannel& channel;
  StreamBuffer& stage;  // obtained at the first write in text mode
  StreamMode mode;
};

// text_read keeps the last byte of a text-mode buffer free: a CR that ends a
// read and turns out to be half of a CR LF gets its LF there.
inline constexpr std::size_t kSettlingRoom = 1;

// What one read from a pipe or disk file asks for: a system call per 4,096
// bytes costs more than the scans, and 128 KiB still fits the cache. A
// device keeps reads of 4,096 bytes: there a 0x1A drops the rest of its
// read, so the read size shows in the output.
inline constexpr std::size_t kLargeReadSize = std::size_t{128} * 1024;

// Most translated bytes text_write hands over in one write: a request of half
// as many source bytes or fewer goes out whole, even if every byte is a LF.
inline constexpr std::size_t kWriteStageSize = std::size_t{128} * 1024;

// The size of the buffer text_read wants for one refill of this input: one
// read, and in text mode the settling room.
[[nodiscard]] std::size_t read_buffer_size(const TextInput& in);

// The most read_buffer_size() answers for any input: a buffer of this size
// serves every input in turn, each reading its own size within it.
inline constexpr std::size_t kLargestReadBuffer = kLargeReadSize + kSettlingRoom;

// The first size bytes of a buffer obtained at kLargestReadBuffer, or all of
// it where no memory could be had and it is a stream's two bytes of its own.
[[nodiscard]] inline std::span<unsigned char> read_room(StreamBuffer& buffer, std::size_t size) {
  const std::span<unsigned char> bytes = buffer.obtain(kLargestReadBuffer);
  return bytes.first(size < bytes.size() ? size : bytes.size());
}

// One refill into `into`, a buffer of read_buffer_size() bytes, of which
// count are delivered; count 0 without error is end of input. In text mode
// the delivery stops before the first 0x1A read, which on a pipe or file
// ends the input for good and on a device drops only the rest of its read
// (for a mark that settles a CR, the rest of its typed line);
// a CR that ends the read is settled (joined to the LF after it, or not).
// CR LF pairs within the delivery stay two bytes: text_find_line_end makes
// each one line end, so that no byte of a line nobody asks for is looked at
// twice. In binary mode the bytes are delivered as they were read.
[[nodiscard]] IoResult text_read(TextInput& in, std::span<unsigned char> into);

// Where a line ends in text mode's delivered bytes: its text stops at text,
// and the next line starts at next. A CR LF pair within the bytes is one line end.
struct LineEnd {
  std::size_t text;
  std::size_t next;
};

// The first line end at or after `from`; none when the bytes hold no LF there.
[[nodiscard]] std::optional<LineEnd> text_find_line_end(std::span<const unsigned char> bytes,
                                                        std::size_t from);

// Hands bytes to the system: in text mode each LF as CR LF, in one write where
// the translation fits the stage; count is how many source bytes went out
// whole before any failure.
[[nodiscard]] IoResult text_write(TextOutput& out, std::span<const unsigned char> bytes);

}  // namespace fieldsift
