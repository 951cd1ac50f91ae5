// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>

namespace fieldsift {

// Header field names are compared without case, and only ASCII letters have
// one: any other byte, 8-bit bytes included, matches itself alone, whatever
// the locale says.
[[nodiscard]] constexpr bool is_letter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[nodiscard]] constexpr unsigned char fold_case(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// SP and TAB: what folds a header line and pads a value. An object, not a
// function, so that the algorithms it is handed to inline it.
inline constexpr auto is_blank = [](unsigned char c) { return c == ' ' || c == '\t'; };

[[nodiscard]] constexpr bool equal_folded(std::span<const unsigned char> a,
                                          std::span<const unsigned char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold_case(a[i]) != fold_case(b[i])) return false;
  }
  return true;
}

}  // namespace fieldsift
