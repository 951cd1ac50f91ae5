#include "textio/text_mode.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "textio/byte_scan.h"

namespace fieldsift {
namespace {

// Turns each CR LF within the bytes into one LF and answers the new length.
// A CR not followed by LF stays, so the result ends in a CR exactly when the
// bytes do. Bytes before the first CR are left where they are.
std::size_t join_crlf(TextStream& stream, std::span<unsigned char> bytes) {
  auto* const cr = static_cast<unsigned char*>(std::memchr(bytes.data(), kCarriageReturn, bytes.size()));
  if (cr == nullptr) return bytes.size();
  const auto head = static_cast<std::size_t>(cr - bytes.data());
  const std::size_t tail = bytes.size() - head;
  std::memcpy(stream.scratch.data(), cr, tail);
  return head + drop_cr_before_lf(stream.scratch.data(), tail, cr);
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

}  // namespace

IoResult text_read(TextStream& stream, std::span<unsigned char> into) {
  into = into.first(std::min(into.size(), stream.scratch.size()));
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
  const auto* mark = static_cast<unsigned char*>(std::memchr(bytes.data(), kEndOfFileMark, bytes.size()));
  if (mark != nullptr) {
    // The mark and the rest of this read are dropped; on a device later reads go on.
    bytes = bytes.first(static_cast<std::size_t>(mark - bytes.data()));
    if (stream.channel.kind() != StreamKind::Device) stream.eof_mark = true;
  }
  std::size_t size = join_crlf(stream, bytes);
  if (mark == nullptr && size > 0 && into[size - 1] == kCarriageReturn)
    size = settle_final_cr(stream, into.first(size));
  return {size, 0};
}

// Translated bytes are staged and handed over in pieces of about
// kWritePieceSize; a short write ends the request.
IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes) {
  std::array<unsigned char, kWritePieceSize + 1> stage;
  std::size_t staged = 0;  // staged < kWritePieceSize between pieces
  std::size_t sent = 0;    // source bytes whose translation has gone out
  std::size_t pos = 0;     // source bytes translated into the stage or sent
  while (pos < bytes.size()) {
    const std::size_t room = kWritePieceSize - staged;
    const std::size_t span = std::min(room, bytes.size() - pos);
    const auto* lf = static_cast<const unsigned char*>(std::memchr(bytes.data() + pos, kLineFeed, span));
    const std::size_t run = lf != nullptr ? static_cast<std::size_t>(lf - (bytes.data() + pos)) : span;
    std::memcpy(stage.data() + staged, bytes.data() + pos, run);
    staged += run;
    pos += run;
    if (lf != nullptr) {
      stage[staged++] = kCarriageReturn;
      stage[staged++] = kLineFeed;
      ++pos;
    }
    if (staged >= kWritePieceSize || pos == bytes.size()) {
      const IoResult w = stream.channel.write(std::span(stage).first(staged));
      if (w.error != 0 || w.count < staged) return {sent, w.error};
      sent = pos;
      staged = 0;
    }
  }
  return {sent, 0};
}

}  // namespace fieldsift
