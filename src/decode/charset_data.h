// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// The data that tools/make_charset_tables.py generates into charset_data.cpp.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "decode/charset.h"

namespace fieldsift {

inline constexpr std::uint16_t kUnmapped = 0xFFFF;  // a byte the charset leaves without a character

// A charset whose bytes below 0x80 are ASCII, and the code point of each byte
// from 0x80 to 0xFF.
struct ByteTable {
  Charset charset;
  std::array<std::uint16_t, 128> code_points;
};

struct CharsetName {
  std::string_view name;  // lower case
  Charset charset;
};

// The table of a charset for which by_table() holds.
[[nodiscard]] const ByteTable& byte_table(Charset charset);

// Every name and alias we know, sorted by name.
[[nodiscard]] std::span<const CharsetName> charset_names();

}  // namespace fieldsift
