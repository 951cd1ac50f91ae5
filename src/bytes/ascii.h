// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace fieldsift {

// The bytes that end a line: a LF, with a CR before it in CR LF text.
inline constexpr unsigned char kCarriageReturn = '\r';
inline constexpr unsigned char kLineFeed = '\n';

// Whether an empty line starts at p, in bytes that end at end: a LF, or a
// CR and a LF. An empty line ends a header.
[[nodiscard]] constexpr bool starts_empty_line(const unsigned char* p, const unsigned char* end) {
  return *p == kLineFeed || (*p == kCarriageReturn && end - p > 1 && p[1] == kLineFeed);
}

// The bit that tells an ASCII letter's cases apart: set in lower case.
inline constexpr unsigned char kCaseBit = 0x20;

// Header field names are compared without case, and only ASCII letters have
// one: any other byte, 8-bit bytes included, matches itself alone, whatever
// the locale says.
[[nodiscard]] constexpr bool is_letter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[nodiscard]] constexpr unsigned char fold_case(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | kCaseBit) : c;
}

// The same for text: a letter in lower case, any other byte as it is.
[[nodiscard]] constexpr char fold_case(char c) {
  return static_cast<char>(fold_case(static_cast<unsigned char>(c)));
}

// A letter in upper case, any other byte as it is.
[[nodiscard]] constexpr unsigned char upper_case(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c & ~kCaseBit) : c;
}

// How a byte of a name stands in a report or a row's input column: a
// control byte (one below 0x20, and 0x7F) as '?', so that a name of any
// bytes leaves a report one line that does nothing to a terminal; any
// other byte, those of a UTF-8 name among them, as it is.
[[nodiscard]] constexpr unsigned char shown_in_name(unsigned char byte) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7F;
  return byte < kFirstPrintable || byte == kDelete ? static_cast<unsigned char>('?') : byte;
}

// SP and TAB: what folds a header line and pads a value. An object, not a
// function, so that the algorithms it is handed to inline it.
inline constexpr auto is_blank = [](unsigned char c) { return c == ' ' || c == '\t'; };

[[nodiscard]] constexpr bool equal_folded(std::span<const unsigned char> a,
                                          std::span<const unsigned char> b) {
  if (a.size() != b.size()) return false;
  // Two bytes match when they are one, or a letter's two cases: they differ
  // in the case bit alone.
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && ((a[i] ^ b[i]) != kCaseBit || !is_letter(a[i]))) return false;
  }
  return true;
}

// The bytes without the SP and TAB at either end.
[[nodiscard]] constexpr std::span<const unsigned char> trim_blanks(
    std::span<const unsigned char> bytes) {
  while (!bytes.empty() && is_blank(bytes.front())) bytes = bytes.subspan(1);
  while (!bytes.empty() && is_blank(bytes.back())) bytes = bytes.first(bytes.size() - 1);
  return bytes;
}

// The same for text.
[[nodiscard]] constexpr std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && is_blank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace fieldsift
