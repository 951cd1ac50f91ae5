// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// The types of the data that tools/make_charset_tables.py generates into
// charset_data.cpp: a row for each charset we decode, and the names that
// lead to the rows.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "textio/platform/platform.h"

namespace fieldsift {

inline constexpr std::uint16_t kUnmapped = 0xFFFF;  // a byte the charset leaves without a character

// The code point of each byte from 0x80 to 0xFF of a charset whose bytes
// below 0x80 are ASCII.
using ByteTable = std::array<std::uint16_t, 128>;

// How a charset's bytes become characters.
enum class Decoding : std::uint8_t {
  Ascii,      // bytes below 0x80 only
  Utf8,       // by our own reader of UTF-8
  Utf16,      // by our own code, in the order a byte-order mark gives, else big-endian
  Utf16Be,    // by our own code
  Utf16Le,    // by our own code
  Utf7,       // by our own code
  ByTable,    // by a table of our own, the same on every system
  BySystem,   // by the system's converter
  Iso2022Jp,  // turned into EUC-JP by our own code, then by the system's converter
};

// One charset we decode. table is set for ByTable alone, system for
// BySystem and Iso2022Jp alone; rows are never copied, so two words are of
// one charset when their rows are one.
struct Charset {
  std::string_view name;  // as mail writes it most often
  Decoding decoding;
  const ByteTable* table;
  const SystemCharset* system;
};

struct CharsetName {
  std::string_view name;  // lower case
  const Charset* charset;
};

// Every name and alias we know, sorted by name.
[[nodiscard]] std::span<const CharsetName> charset_names();

}  // namespace fieldsift
