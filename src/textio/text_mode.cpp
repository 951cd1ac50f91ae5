// SPDX-License-Identifier: BSD-2-Clause
#include "textio/text_mode.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "textio/scan/line_scans.h"

namespace fieldsift {
namespace {

// A terminal hands over one typed line a read, so what is ready at once is the
// rest of the line just begun, and a line typed later is left for later.
void drop_rest_of_typed_line(TextInput& in) {
  std::array<unsigned char, kStreamBufferSize> rest{};
  if (in.channel.ready()) (void)in.channel.read(rest);  // dropped, whatever came of it
}

// The read ended in a CR, at into[size - 1]. One more byte tells whether it
// was half of a CR LF; a LF is then put after it, where the pair is one line
// end like any other within a delivery. Answers the bytes delivered.
std::size_t settle_final_cr(TextInput& in, std::span<unsigned char> into, std::size_t size) {
  unsigned char next = 0;
  const IoResult r = in.channel.read({&next, 1});
  if (r.error != 0) in.pending_error = r.error;
  if (r.error != 0 || r.count == 0) return size;  // the CR stands alone
  const bool disk = in.kind() == StreamKind::DiskFile;
  if (next == kEndOfFileMark && in.kind() != StreamKind::Device) {
    // The CR stands alone, and the input ends here, with no read for bytes
    // the mark would drop.
    in.eof_mark = true;
    return size;
  }
  // A file steps back, so the next read starts with that byte again and a LF
  // there ends the line; but not for a CR that is the whole read, whose LF
  // then goes in the room kept for it: a read of nothing is the end of input.
  if (disk && !(next == kLineFeed && size == 1) && in.channel.step_back()) {
    return next == kLineFeed ? size - 1 : size;
  }
  if (next == kLineFeed) {
    into[size] = kLineFeed;
    return size + 1;
  }
  // Any other byte opens the next read. A 0x1A, on a device, is a read of
  // its own that it ends: it drops the rest of its typed line now, and the
  // next read answers nothing, as a read that opens with the mark does.
  if (next == kEndOfFileMark) drop_rest_of_typed_line(in);
  in.lookahead = next;
  return size;
}

// Where the text of a read's bytes stops: at their first 0x1A, or their end.
std::size_t before_mark(std::span<const unsigned char> bytes) {
  const void* const mark = std::memchr(bytes.data(), kEndOfFileMark, bytes.size());
  if (mark == nullptr) return bytes.size();
  return static_cast<std::size_t>(static_cast<const unsigned char*>(mark) - bytes.data());
}

// How many source bytes have their whole translation within its first
// `translated` bytes.
std::size_t source_bytes_within(std::span<const unsigned char> bytes, std::size_t translated) {
  std::size_t n = 0;
  for (std::size_t t = 0; n < bytes.size(); ++n) {
    t += bytes[n] == kLineFeed ? 2 : 1;
    if (t > translated) break;
  }
  return n;
}

}  // namespace

std::size_t read_buffer_size(const TextInput& in) {
  const std::size_t read = in.kind() == StreamKind::Device ? kStreamBufferSize : kLargeReadSize;
  return in.mode == StreamMode::Text ? read + kSettlingRoom : read;
}

IoResult text_read(TextInput& in, std::span<unsigned char> into) {
  if (in.mode == StreamMode::Binary) return in.channel.read(into);
  if (in.eof_mark || into.size() <= kSettlingRoom) return {};
  if (in.pending_error != 0) {
    const int error = in.pending_error;
    in.pending_error = 0;
    return {0, error};
  }
  if (in.lookahead == kEndOfFileMark) {  // held on a device only: a read of its own, ended
    in.lookahead.reset();
    return {};
  }
  const std::size_t held = in.lookahead ? 1 : 0;
  if (held != 0) into[0] = *in.lookahead;
  const std::span<unsigned char> room = into.first(into.size() - kSettlingRoom).subspan(held);
  // With the smallest buffer a held byte fills the room, and goes out alone.
  const IoResult r = room.empty() ? IoResult{} : in.channel.read(room);
  if (r.error != 0) return {0, r.error};  // a held byte stays held for the next read
  in.lookahead.reset();

  // The text stops at a 0x1A: for good on a pipe or file; on a device the
  // mark drops only itself and the rest of its read.
  const std::span<unsigned char> bytes = into.first(held + r.count);
  const std::size_t size = before_mark(bytes);
  const bool marked = size != bytes.size();
  if (marked && in.kind() != StreamKind::Device) in.eof_mark = true;
  // A final CR needs one more byte to settle it; one just before the mark
  // stands alone.
  if (size == 0 || into[size - 1] != kCarriageReturn || marked) return {size, 0};
  return {settle_final_cr(in, into, size), 0};
}

std::optional<LineEnd> text_find_line_end(std::span<const unsigned char> bytes, std::size_t from) {
  const void* const found = std::memchr(bytes.data() + from, kLineFeed, bytes.size() - from);
  if (found == nullptr) return std::nullopt;
  const auto lf = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes.data());
  // The CR of a pair within the bytes is part of the line end.
  const bool pair = lf > from && bytes[lf - 1] == kCarriageReturn;
  return LineEnd{pair ? lf - 1 : lf, lf + 1};
}

IoResult text_write(TextOutput& out, std::span<const unsigned char> bytes) {
  if (bytes.empty()) return {};
  if (out.mode == StreamMode::Binary) return out.channel.write(bytes);
  const std::span<unsigned char> stage = out.stage.obtain(kWriteStageSize);
  // Half the stage holds any translation, even of nothing but LFs.
  const std::size_t most = stage.size() / 2;
  for (std::size_t pos = 0; pos < bytes.size();) {  // source bytes before pos have gone out
    const std::span<const unsigned char> piece =
        bytes.subspan(pos, std::min(most, bytes.size() - pos));
    const std::size_t staged = add_cr_before_lf(piece, stage.data());
    const IoResult w = out.channel.write(stage.first(staged));
    if (w.error != 0 || w.count < staged)
      return {pos + source_bytes_within(piece, w.count), w.error};
    pos += piece.size();
  }
  return {bytes.size(), 0};
}

}  // namespace fieldsift
