// SPDX-License-Identifier: BSD-2-Clause
#include "decode/utf16.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;

constexpr unsigned kByteBits = 8;

// The order a Marked text's mark gives; the mark is taken off the text.
ByteOrder marked_order(Bytes& text) {
  constexpr unsigned char kMarkHigh = 0xFE;  // U+FEFF's bytes
  constexpr unsigned char kMarkLow = 0xFF;
  if (text.size() >= 2 && text[0] == kMarkHigh && text[1] == kMarkLow) {
    text = text.subspan(2);
    return ByteOrder::BigEndian;
  }
  if (text.size() >= 2 && text[0] == kMarkLow && text[1] == kMarkHigh) {
    text = text.subspan(2);
    return ByteOrder::LittleEndian;
  }
  return ByteOrder::BigEndian;
}

// The unit whose bytes begin at text[i], i + 1 < text.size().
char32_t unit_at(Bytes text, std::size_t i, ByteOrder order) {
  const unsigned first = text[i];
  const unsigned second = text[i + 1];
  return order == ByteOrder::LittleEndian ? second << kByteBits | first
                                          : first << kByteBits | second;
}

}  // namespace

Conversion utf16_to_utf8(Bytes text, ByteOrder order, ByteVector& out) {
  if (text.size() % 2 != 0) return Conversion::Refused;
  if (order == ByteOrder::Marked) order = marked_order(text);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const char32_t unit = unit_at(text, i, order);
    if (surrogate::is_low(unit)) return Conversion::Refused;
    if (!surrogate::is_high(unit)) {
      append_utf8(unit, out);
      continue;
    }
    if (text.size() - i < 4) return Conversion::Refused;
    const char32_t low = unit_at(text, i + 2, order);
    if (!surrogate::is_low(low)) return Conversion::Refused;
    append_utf8(surrogate::joined(unit, low), out);
    i += 2;
  }
  return out.failed() ? Conversion::NoMemory : Conversion::Converted;
}

}  // namespace fieldsift
