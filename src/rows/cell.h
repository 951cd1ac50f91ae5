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

// Adds an item to a list's bytes at the end of out; false if out could not grow.
inline bool append_item(ByteVector& out, std::span<const unsigned char> item) {
  const std::size_t size = item.size();
  std::array<unsigned char, sizeof size> length{};
  std::memcpy(length.data(), &size, sizeof size);
  return out.append(length) && out.append(item);
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
