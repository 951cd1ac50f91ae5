// SPDX-License-Identifier: BSD-2-Clause
#include "textio/text_mode.h"

#include <algorithm>
#include <cstring>

#include "textio/byte_scan.h"

namespace fieldsift {
namespace {

// The read ended in a CR, now at delivered[size - 1]. One more byte tells
// whether it was half of a CR LF. Answers the number of bytes delivered.
std::size_t settle_final_cr(TextStream& stream, std::span<unsigned char> delivered) {
  const std::size_t size = delivered.size();
  unsigned char next = 0;
  const IoResult r = stream.channel.read({&next, 1});
  if (r.error != 0) stream.pending_error = r.error;
  if (r.error != 0 || r.count == 0) return size;  // the CR stands alone
  if (next == kEndOfFileMark) {
    // The CR stands alone. On a pipe or file the text ends here, with no read
    // for bytes the mark would drop; on a device the mark was the whole of
    // its read, and drops only itself.
    if (stream.channel.kind() != StreamKind::Device) stream.eof_mark = true;
    return size;
  }

  const bool disk = stream.channel.kind() == StreamKind::DiskFile;
  if (disk && !(next == kLineFeed && size == 1) && stream.channel.step_back()) {
    // The next read starts with that byte again; a LF there ends the line.
    return next == kLineFeed ? size - 1 : size;
  }
  if (next == kLineFeed) {
    delivered[size - 1] = kLineFeed;
  } else {
    stream.lookahead = next;
  }
  return size;
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
  if (stream.eof_mark || into.empty()) return {};
  if (stream.pending_error != 0) {
    const int error = stream.pending_error;
    stream.pending_error = 0;
    return {0, error};
  }
  const std::size_t held = stream.lookahead ? 1 : 0;
  if (held != 0) into[0] = *stream.lookahead;
  const IoResult r = stream.channel.read(into.subspan(held));
  if (r.error != 0) return {0, r.error};  // a held byte stays held for the next read
  stream.lookahead.reset();

  const std::span<unsigned char> bytes = into.first(held + r.count);
  // Most text holds neither a CR nor the mark: one scan tells. From the
  // first of them on, each CR LF becomes a LF, up to the mark if there is one.
  unsigned char* const end = bytes.data() + bytes.size();
  const auto work = static_cast<std::size_t>(
      find_either(bytes.data(), end, kCarriageReturn, kEndOfFileMark) - bytes.data());
  std::size_t size = bytes.size();
  bool marked = false;
  if (work != bytes.size()) {
    const Dropped joined =
        drop_cr_before_lf_in_place(bytes.data() + work, bytes.size() - work, kEndOfFileMark);
    size = work + joined.kept;
    marked = work + joined.read != bytes.size();
  }
  if (marked) {
    // The mark and the rest of this read are dropped; on a device later reads go on.
    if (stream.channel.kind() != StreamKind::Device) stream.eof_mark = true;
  } else if (size > 0 && into[size - 1] == kCarriageReturn) {
    size = settle_final_cr(stream, into.first(size));
  }
  return {size, 0};
}

IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes) {
  if (bytes.empty()) return {};
  const std::span<unsigned char> stage = stream.stage.obtain(kWriteStageSize);
  // Half the stage holds any translation, even of nothing but LFs.
  const std::size_t most = stage.size() / 2;
  for (std::size_t pos = 0; pos < bytes.size();) {  // source bytes before pos have gone out
    const std::span<const unsigned char> piece =
        bytes.subspan(pos, std::min(most, bytes.size() - pos));
    const std::size_t staged = add_cr_before_lf(piece.data(), piece.size(), stage.data());
    const IoResult w = stream.channel.write(stage.first(staged));
    if (w.error != 0 || w.count < staged)
      return {pos + source_bytes_within(piece, w.count), w.error};
    pos += piece.size();
  }
  return {bytes.size(), 0};
}

}  // namespace fieldsift
