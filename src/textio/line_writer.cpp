// SPDX-License-Identifier: BSD-2-Clause
#include "textio/line_writer.h"

#include <algorithm>
#include <cstring>

namespace fieldsift {

LineWriter::LineWriter(TextStream& out) : out_(out), kind_(out.kind()) {}

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
bool LineWriter::write_part(std::span<const unsigned char> bytes) {
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

bool LineWriter::write_line(std::span<const unsigned char> text) {
  const auto* nul = static_cast<const unsigned char*>(std::memchr(text.data(), 0, text.size()));
  if (nul != nullptr) text = text.first(static_cast<std::size_t>(nul - text.data()));
  const std::span<unsigned char> block = obtain_block();
  if (text.size() < block.size() - used_) {
    // The common case: the line and its end fit in the buffer as it stands.
    std::memcpy(block.data() + used_, text.data(), text.size());
    used_ += text.size();
    block[used_++] = kLineFeed;
    if (used_ == block.size() || line_by_line()) return flush();
    return true;
  }
  const bool ok = write_part(text);
  return end_line() && ok;
}

bool LineWriter::end_line() {
  const bool ok = write_part({&kLineFeed, 1});
  if (!line_by_line()) return ok;
  return flush() && ok;
}

bool LineWriter::flush() {
  const bool ok = hand_over(buffer_.bytes().first(used_));
  used_ = 0;
  return ok;
}

}  // namespace fieldsift
