// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "bytes/byte_vector.h"

namespace fieldsift {

// What a column of one row holds, for the row writer: nothing (an absent
// field, a view that found nothing), a text, a list of texts or a number.
enum class CellKind : unsigned char { Absent, Text, List, Number };

struct Cell {
  CellKind kind = CellKind::Absent;
  // Text: the text. List: its items, each after its length (ListItems reads them).
  std::span<const unsigned char> bytes;
  std::int64_t number = 0;  // Number
};

// An item of a list, added to its bytes at the end of out: begin_item,
// the item's bytes, end_item with what begin_item answered. A growth out
// refuses shows in its failed().
[[nodiscard]] inline std::size_t begin_item(ByteVector& out) {
  constexpr std::array<unsigned char, sizeof(std::size_t)> kLength{};
  (void)out.append(kLength);  // its length, once known
  return out.size();
}

inline void end_item(ByteVector& out, std::size_t start) {
  if (out.failed()) return;
  const std::size_t size = out.size() - start;
  std::array<unsigned char, sizeof size> length{};
  std::memcpy(length.data(), &size, sizeof size);
  out.write_at(start - sizeof size, length);
}

inline void append_item(ByteVector& out, std::span<const unsigned char> item) {
  const std::size_t start = begin_item(out);
  (void)out.append(item);
  end_item(out, start);
}

// The items of a list's bytes, in turn.
class ListItems {
 public:
  explicit ListItems(std::span<const unsigned char> bytes) : rest_(bytes) {}

  [[nodiscard]] bool empty() const { return rest_.empty(); }
  // The next item; only while !empty().
  [[nodiscard]] std::span<const unsigned char> next() {
    std::size_t size = 0;
    std::memcpy(&size, rest_.data(), sizeof size);
    const std::span<const unsigned char> item = rest_.subspan(sizeof size, size);
    rest_ = rest_.subspan(sizeof size + size);
    return item;
  }

 private:
  std::span<const unsigned char> rest_;  // whole items, each after its length
};

}  // namespace fieldsift
