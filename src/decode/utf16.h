// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <span>

#include "bytes/byte_vector.h"
#include "bytes/utf8.h"
#include "textio/platform/platform.h"

namespace fieldsift {

// The surrogates of UTF-16: a high one and the low one after it stand for one
// character past U+FFFF; either alone stands for none.
namespace surrogate {

inline constexpr char32_t kFirstHigh = 0xD800;
inline constexpr char32_t kFirstLow = 0xDC00;
inline constexpr char32_t kPastLow = 0xE000;

[[nodiscard]] constexpr bool is_high(char32_t unit) {
  return unit >= kFirstHigh && unit < kFirstLow;
}
[[nodiscard]] constexpr bool is_low(char32_t unit) { return unit >= kFirstLow && unit < kPastLow; }

// The character a high and a low surrogate stand for.
[[nodiscard]] constexpr char32_t joined(char32_t high, char32_t low) {
  constexpr char32_t kFirstPastBmp = 0x10000;
  constexpr unsigned kLowBits = 10;
  return kFirstPastBmp + ((high - kFirstHigh) << kLowBits | (low - kFirstLow));
}

}  // namespace surrogate

// Adds a character's UTF-8 to out; a failure stays set in out.
inline void append_utf8(char32_t c, ByteVector& out) {
  std::array<unsigned char, 4> utf8{};
  (void)out.append({utf8.data(), put_utf8(c, utf8.data())});
}

// How the two bytes of a UTF-16 unit stand: Marked takes the order a
// byte-order mark at the text's start gives (and drops the mark), big-endian
// when there is none.
enum class ByteOrder { BigEndian, LittleEndian, Marked };

// Appends to out the UTF-8 of text in UTF-16. Refused: an odd number of
// bytes, a surrogate without its pair. A byte-order mark other than a
// Marked text's first is the character U+FEFF.
[[nodiscard]] Conversion utf16_to_utf8(std::span<const unsigned char> text, ByteOrder order,
                                       ByteVector& out);

}  // namespace fieldsift
