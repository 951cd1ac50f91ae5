#include "textio/text_mode.h"

#include <algorithm>
#include <cstring>

#include "textio/byte_scan.h"

namespace fieldsift {
namespace {

// Turns each CR LF within the bytes, none of them before `from`, into one LF
// and answers the new length.
// A CR not followed by LF stays, so the result ends in a CR exactly when the
// bytes do. Bytes before the first CR are left where they are; the rest go
// through the scratch buffer a piece at a time and are written back in place,
// never past the end of the piece being handled.
std::size_t join_crlf(TextStream& stream, std::span<unsigned char> bytes, std::size_t from) {
  const std::span<unsigned char> rest = bytes.subspan(std::min(from, bytes.size()));
  auto* const cr = static_cast<unsigned char*>(std::memchr(rest.data(), kCarriageReturn, rest.size()));
  if (cr == nullptr) return bytes.size();
  std::size_t in = static_cast<std::size_t>(cr - bytes.data());  // bytes[in, size) are still to join
  std::size_t out = in;                                           // out <= in
  while (in < bytes.size()) {
    std::size_t piece = std::min(stream.scratch.size(), bytes.size() - in);
    // A CR that ends a piece may pair with the next piece's first byte.
    if (in + piece < bytes.size() && bytes[in + piece - 1] == kCarriageReturn) --piece;
    std::memcpy(stream.scratch.data(), bytes.data() + in, piece);
    out += drop_cr_before_lf(stream.scratch.data(), piece, bytes.data() + out);
    in += piece;
  }
  return out;
}

// The read ended in a CR, now at delivered[size - 1]. One more byte tells
// whether it was half of a CR LF. Answers the number of bytes delivered.
std::size_t settle_final_cr(TextStream& stream, std::span<unsigned char> delivered) {
  const std::size_t size = delivered.size();
  unsigned char next = 0;
  const IoResult r = stream.channel.read({&next, 1});
  if (r.error != 0) stream.pending_error = r.error;
  if (r.error != 0 || r.count == 0) return size;  // the CR stands alone

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

  std::span<unsigned char> bytes = into.first(held + r.count);
  // Most text holds neither a CR nor the mark: one scan tells.
  const unsigned char* const end = bytes.data() + bytes.size();
  const unsigned char* const work = find_either(bytes.data(), end, kCarriageReturn, kEndOfFileMark);
  const auto* mark = static_cast<const unsigned char*>(std::memchr(work, kEndOfFileMark, static_cast<std::size_t>(end - work)));
  if (mark != nullptr) {
    // The mark and the rest of this read are dropped; on a device later reads go on.
    bytes = bytes.first(static_cast<std::size_t>(mark - bytes.data()));
    if (stream.channel.kind() != StreamKind::Device) stream.eof_mark = true;
  }
  std::size_t size = join_crlf(stream, bytes, static_cast<std::size_t>(work - bytes.data()));
  if (mark == nullptr && size > 0 && into[size - 1] == kCarriageReturn)
    size = settle_final_cr(stream, into.first(size));
  return {size, 0};
}

IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes) {
  if (bytes.empty()) return {};
  const std::span<unsigned char> stage = stream.stage.obtain(kWriteStageSize);
  // Half the stage holds any translation, even of nothing but LFs.
  const std::size_t most = stage.size() / 2;
  for (std::size_t pos = 0; pos < bytes.size();) {  // source bytes before pos have gone out
    const std::span<const unsigned char> piece = bytes.subspan(pos, std::min(most, bytes.size() - pos));
    const std::size_t staged = add_cr_before_lf(piece.data(), piece.size(), stage.data());
    const IoResult w = stream.channel.write(stage.first(staged));
    if (w.error != 0 || w.count < staged) return {pos + source_bytes_within(piece, w.count), w.error};
    pos += piece.size();
  }
  return {bytes.size(), 0};
}

}  // namespace fieldsift
