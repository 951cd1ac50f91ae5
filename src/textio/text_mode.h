// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <optional>
#include <span>

#include "textio/platform/byte_channel.h"
#include "textio/scan/byte_match.h"
#include "textio/stream_buffer.h"

namespace fieldsift {

// One standard stream in text mode: lines end in CR LF on the system's side
// and in a bare LF on the program's, and on input from a pipe or disk file
// the byte 0x1A marks the end of the text.
struct TextStream {
  explicit TextStream(ByteChannel& c) : channel(c) {}

  [[nodiscard]] StreamKind kind() const { return channel.kind(); }

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

// text_read keeps the last byte of its buffer free: a CR that ends a read
// and turns out to be half of a CR LF gets its LF there.
inline constexpr std::size_t kSettlingRoom = 1;

// One refill, into.size() - kSettlingRoom bytes at most, of which count are
// delivered; count 0 without error is end of input. The end of the read is
// settled (a CR there is joined to the LF after it, or not), and on a device
// a 0x1A drops itself and the rest of the read. Within the bytes, each CR LF
// pair stays two bytes and, on a pipe or file, a 0x1A stays where it is:
// the scans below apply them to the one line end or mark they stop at, so
// that no byte of a line nobody asks for is looked at twice.
[[nodiscard]] IoResult text_read(TextStream& stream, std::span<unsigned char> into);

// Where the next line end lies in a delivery of text_read, searched from
// `from`: the line's text stops at text and the next line begins at next. A
// CR LF pair within the delivery is one line end. text == next when there is
// no line end: the text of the delivery then stops there, at its end or at a
// 0x1A, after which the stream has no more input.
struct LineEnd {
  std::size_t text;
  std::size_t next;
};
[[nodiscard]] LineEnd text_find_line_end(TextStream& stream,
                                         std::span<const unsigned char> delivery, std::size_t from);

// Where a scan of a delivery stopped: at what it looked for (found), or
// where the text of the delivery stops, as above.
struct TextStop {
  std::size_t at;
  bool found;
};
// The first line start in a delivery after `from` whose byte matches first.
[[nodiscard]] TextStop text_find_line_start(TextStream& stream,
                                            std::span<const unsigned char> delivery,
                                            std::size_t from, ByteMatch first);

// Hands bytes of text to the system, each LF as CR LF, in one write where the
// translation fits kWriteStageSize; count is how many source bytes went out
// whole before any failure.
[[nodiscard]] IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes);

}  // namespace fieldsift
