// SPDX-License-Identifier: BSD-2-Clause
#include "textio/line_writer.h"

#include <algorithm>
#include <cstring>

namespace fieldsift {
namespace {

// The bytes before the first NUL, and whether there was one.
struct Text {
  std::span<const unsigned char> bytes;
  bool cut;
};

Text text_of(std::span<const unsigned char> bytes) {
  const auto* nul = static_cast<const unsigned char*>(std::memchr(bytes.data(), 0, bytes.size()));
  if (nul == nullptr) return {bytes, false};
  return {bytes.first(static_cast<std::size_t>(nul - bytes.data())), true};
}

}  // namespace

bool LineWriter::hand_over(std::span<const unsigned char> bytes) {
  if (bytes.empty()) return true;
  const IoResult r = text_write(out_, bytes);
  if (r.error == 0 && r.count == bytes.size()) return true;
  failed_ = true;
  if (error_ == 0 && !is_broken_pipe(r.error)) error_ = r.error;
  return false;
}

// Fills the buffer and hands it over whenever it is full; a run of a whole
// buffer's worth or more that finds the buffer empty goes out directly.
bool LineWriter::append(std::span<const unsigned char> bytes) {
  bool ok = true;
  const std::span<unsigned char> block = obtain_block();
  while (!bytes.empty()) {
    if (used_ == 0 && bytes.size() >= block.size()) {
      const std::size_t direct = bytes.size() - bytes.size() % block.size();
      ok = hand_over(bytes.first(direct)) && ok;
      bytes = bytes.subspan(direct);
      continue;
    }
    const std::size_t take = std::min(block.size() - used_, bytes.size());
    std::memcpy(block.data() + used_, bytes.data(), take);
    used_ += take;
    bytes = bytes.subspan(take);
    if (used_ == block.size()) ok = flush() && ok;
  }
  return ok;
}

bool LineWriter::write_part(std::span<const unsigned char> bytes) {
  if (past_nul_) return true;
  const Text text = text_of(bytes);
  past_nul_ = text.cut;
  return append(text.bytes);
}

bool LineWriter::write_line(std::span<const unsigned char> line) {
  const std::span<const unsigned char> text = text_of(line).bytes;
  const std::span<unsigned char> block = obtain_block();
  if (text.size() < block.size() - used_) {
    // The common case: the line and its end fit in the buffer as it stands.
    std::memcpy(block.data() + used_, text.data(), text.size());
    used_ += text.size();
    block[used_++] = kLineFeed;
    if (used_ == block.size() || line_by_line()) return flush();
    return true;
  }
  const bool ok = append(text);
  return end_line() && ok;
}

bool LineWriter::end_line() {
  past_nul_ = false;
  const bool ok = append({&kLineFeed, 1});
  if (!line_by_line()) return ok;
  return flush() && ok;
}

bool LineWriter::write_bytes(std::span<const unsigned char> bytes) {
  const bool ok = append(bytes);
  if (!line_by_line()) return ok;
  return flush_whole_lines() && ok;
}

// Hands over the buffered bytes up to the last line end among them; the
// line they end inside waits for its end.
bool LineWriter::flush_whole_lines() {
  const std::span<unsigned char> held = block_.bytes().first(used_);
  const auto last = std::find(held.rbegin(), held.rend(), kLineFeed);
  const auto whole = static_cast<std::size_t>(held.rend() - last);
  const bool ok = hand_over(held.first(whole));
  std::memmove(held.data(), held.data() + whole, used_ - whole);
  used_ -= whole;
  return ok;
}

bool LineWriter::flush() {
  const bool ok = hand_over(block_.bytes().first(used_));
  used_ = 0;
  return ok;
}

}  // namespace fieldsift
