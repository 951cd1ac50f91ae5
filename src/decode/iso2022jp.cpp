// SPDX-License-Identifier: BSD-2-Clause
#include "decode/iso2022jp.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace fieldsift {
namespace {

enum class JisSet { Ascii, Kanji, Katakana };

struct Designation {
  std::string_view escape;  // the bytes after ESC
  JisSet set;
};

// JIS X 0201 Roman differs from ASCII in two characters that mail readers
// show as ASCII's; so do we.
constexpr std::array<Designation, 5> kDesignations = {{
    {"(B", JisSet::Ascii},
    {"(J", JisSet::Ascii},
    {"$@", JisSet::Kanji},
    {"$B", JisSet::Kanji},
    {"(I", JisSet::Katakana},
}};

constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kFirstGraphic = 0x21;  // the bytes of a character of the JIS sets
constexpr unsigned char kLastGraphic = 0x7E;
constexpr unsigned char kLastKatakana = 0x5F;
constexpr unsigned char kHighBit = 0x80;       // EUC-JP is the JIS bytes with their high bit set,
constexpr unsigned char kSingleShift2 = 0x8E;  // a katakana after this byte

bool is_graphic(unsigned char c) { return c >= kFirstGraphic && c <= kLastGraphic; }

// The length of the designation at text's start (after its ESC), or 0.
std::size_t designation(std::span<const unsigned char> text, JisSet& set) {
  for (const Designation& d : kDesignations) {
    if (text.size() >= d.escape.size() &&
        std::equal(d.escape.begin(), d.escape.end(), text.begin(),
                   [](char e, unsigned char c) { return static_cast<unsigned char>(e) == c; })) {
      set = d.set;
      return d.escape.size();
    }
  }
  return 0;
}

// The EUC-JP of the character at text's start in set, and its length; 0 if
// there is none.
std::size_t put_character(std::span<const unsigned char> text, JisSet set, ByteVector& out) {
  const unsigned char c = text[0];
  if (set == JisSet::Ascii) {
    if (c >= kHighBit) return 0;
    (void)out.push_back(c);  // a failure stays set in out, for the caller to see
    return 1;
  }
  if (set == JisSet::Katakana) {
    if (!is_graphic(c) || c > kLastKatakana) return 0;
    const std::array<unsigned char, 2> euc = {kSingleShift2,
                                              static_cast<unsigned char>(c | kHighBit)};
    (void)out.append(euc);
    return 1;
  }
  if (text.size() < 2 || !is_graphic(c) || !is_graphic(text[1])) return 0;
  const std::array<unsigned char, 2> euc = {static_cast<unsigned char>(c | kHighBit),
                                            static_cast<unsigned char>(text[1] | kHighBit)};
  (void)out.append(euc);
  return 2;
}

}  // namespace

Conversion iso2022jp_to_eucjp(std::span<const unsigned char> text, ByteVector& out) {
  JisSet set = JisSet::Ascii;
  while (!text.empty()) {
    const std::size_t length =
        text[0] == kEscape ? designation(text.subspan(1), set) : put_character(text, set, out);
    if (length == 0) return Conversion::Refused;
    text = text.subspan(text[0] == kEscape ? 1 + length : length);
  }
  return out.failed() ? Conversion::NoMemory : Conversion::Converted;
}

}  // namespace fieldsift
