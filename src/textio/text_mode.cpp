// SPDX-License-Identifier: BSD-2-Clause
#include "textio/text_mode.h"

#include <algorithm>
#include <cstring>

#include "textio/scan/kernel_set.h"

namespace fieldsift {
namespace {

// The read ended in a CR, at into[size - 1]. One more byte tells whether it
// was half of a CR LF; a LF is then put after it, where the pair is one line
// end like any other within a delivery. Answers the bytes delivered.
std::size_t settle_final_cr(TextStream& stream, std::span<unsigned char> into, std::size_t size) {
  unsigned char next = 0;
  const IoResult r = stream.channel.read({&next, 1});
  if (r.error != 0) stream.pending_error = r.error;
  if (r.error != 0 || r.count == 0) return size;  // the CR stands alone
  if (next == kEndOfFileMark) {
    // The CR stands alone. On a pipe or file the text ends here, with no read
    // for bytes the mark would drop; on a device the mark was the whole of
    // its read, and drops only itself.
    if (stream.kind() != StreamKind::Device) stream.eof_mark = true;
    return size;
  }
  const bool disk = stream.kind() == StreamKind::DiskFile;
  if (disk && !(next == kLineFeed && size == 1) && stream.channel.step_back()) {
    // The next read starts with that byte again; a LF there ends the line.
    return next == kLineFeed ? size - 1 : size;
  }
  if (next == kLineFeed) {
    into[size] = kLineFeed;
    return size + 1;
  }
  stream.lookahead = next;
  return size;
}

// Where the text of a read's bytes stops: at their first 0x1A, or their end.
std::size_t before_mark(std::span<const unsigned char> bytes) {
  const void* const mark = std::memchr(bytes.data(), kEndOfFileMark, bytes.size());
  if (mark == nullptr) return bytes.size();
  return static_cast<std::size_t>(static_cast<const unsigned char*>(mark) - bytes.data());
}

// Where a scan of a delivery stopped at hit: found, or at the end of its
// text, which a 0x1A there makes the end of all input of a pipe or file. A
// device's reads hold none.
TextStop stopped_at(TextStream& stream, std::span<const unsigned char> delivery,
                    const unsigned char* hit) {
  const auto at = static_cast<std::size_t>(hit - delivery.data());
  if (at == delivery.size()) return {at, false};
  if (*hit != kEndOfFileMark) return {at, true};
  stream.eof_mark = true;
  return {at, false};
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

IoResult text_read(TextStream& stream, std::span<unsigned char> into) {
  if (stream.eof_mark || into.size() <= kSettlingRoom) return {};
  if (stream.pending_error != 0) {
    const int error = stream.pending_error;
    stream.pending_error = 0;
    return {0, error};
  }
  const std::size_t held = stream.lookahead ? 1 : 0;
  if (held != 0) into[0] = *stream.lookahead;
  const std::span<unsigned char> room = into.first(into.size() - kSettlingRoom).subspan(held);
  // With the smallest buffer a held byte fills the room, and goes out alone.
  const IoResult r = room.empty() ? IoResult{} : stream.channel.read(room);
  if (r.error != 0) return {0, r.error};  // a held byte stays held for the next read
  stream.lookahead.reset();

  const std::span<unsigned char> bytes = into.first(held + r.count);
  // On a device a 0x1A drops itself and the rest of its read; elsewhere it
  // stays, for the scans to meet.
  const bool device = stream.kind() == StreamKind::Device;
  const std::size_t size = device ? before_mark(bytes) : bytes.size();
  // A final CR needs one more byte to settle it; but with a mark in the read
  // the text ends at the mark, and a CR just before it stands alone.
  if (size == 0 || into[size - 1] != kCarriageReturn || before_mark(bytes) != bytes.size())
    return {size, 0};
  return {settle_final_cr(stream, into, size), 0};
}

LineEnd text_find_line_end(TextStream& stream, std::span<const unsigned char> delivery,
                           std::size_t from) {
  const unsigned char* const begin = delivery.data();
  const TextStop lf = stopped_at(stream, delivery,
                                 active_kernels().find_either(begin + from, begin + delivery.size(),
                                                              kLineFeed, kEndOfFileMark));
  if (!lf.found) return {lf.at, lf.at};
  // The CR of a pair within one delivery is part of the line end.
  const bool pair = lf.at > from && delivery[lf.at - 1] == kCarriageReturn;
  return {pair ? lf.at - 1 : lf.at, lf.at + 1};
}

TextStop text_find_line_start(TextStream& stream, std::span<const unsigned char> delivery,
                              std::size_t from, ByteMatch first) {
  const unsigned char* const begin = delivery.data();
  return stopped_at(stream, delivery,
                    active_kernels().find_line_start(begin + from, begin + delivery.size(), first,
                                                     kEndOfFileMark));
}

IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes) {
  if (bytes.empty()) return {};
  const std::span<unsigned char> stage = stream.stage.obtain(kWriteStageSize);
  // Half the stage holds any translation, even of nothing but LFs.
  const std::size_t most = stage.size() / 2;
  for (std::size_t pos = 0; pos < bytes.size();) {  // source bytes before pos have gone out
    const std::span<const unsigned char> piece =
        bytes.subspan(pos, std::min(most, bytes.size() - pos));
    const std::size_t staged =
        active_kernels().add_cr_before_lf(piece.data(), piece.size(), stage.data());
    const IoResult w = stream.channel.write(stage.first(staged));
    if (w.error != 0 || w.count < staged)
      return {pos + source_bytes_within(piece, w.count), w.error};
    pos += piece.size();
  }
  return {bytes.size(), 0};
}

}  // namespace fieldsift
