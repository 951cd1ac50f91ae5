// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <optional>
#include <span>

#include "textio/byte_channel.h"
#include "textio/stream_buffer.h"

namespace fieldsift {

// One standard stream in text mode: lines end in CR LF on the system's side
// and in a bare LF on the program's, and on input from a pipe or disk file
// the byte 0x1A marks the end of the text.
struct TextStream {
  explicit TextStream(ByteChannel& c) : channel(c) {}

  ByteChannel& channel;
  bool eof_mark = false;  // a 0x1A was met on a pipe or file: no more input, ever
  // Read early to settle a CR; goes in front of the next read.
  std::optional<unsigned char> lookahead;
  int pending_error = 0;  // a read failed while settling a CR; the next call answers it
  StreamBuffer stage;     // where text_write translates, obtained at the first write
};

inline constexpr unsigned char kCarriageReturn = '\r';
inline constexpr unsigned char kLineFeed = '\n';
inline constexpr unsigned char kEndOfFileMark = 0x1A;

// Most translated bytes text_write hands over in one write: a request of half
// as many source bytes or fewer goes out whole, even if every byte is a LF.
inline constexpr std::size_t kWriteStageSize = std::size_t{128} * 1024;

// One refill: at most into.size() bytes of text, each CR LF delivered as one
// LF; count 0 without error is end of input.
[[nodiscard]] IoResult text_read(TextStream& stream, std::span<unsigned char> into);

// Hands bytes of text to the system, each LF as CR LF, in one write where the
// translation fits kWriteStageSize; count is how many source bytes went out
// whole before any failure.
[[nodiscard]] IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes);

}  // namespace fieldsift
