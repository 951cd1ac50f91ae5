// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "textio/platform/platform.h"

namespace fieldsift {

// The charsets an encoded word may be decoded from. Those from
// kFirstTableCharset up to kFirstSystemCharset go by a table of our own, the
// same on every system; those from kFirstSystemCharset on go through the
// system's converter. The generated tables stand in this order.
enum class Charset : std::uint8_t {
  UsAscii,
  Utf8,
  Iso8859_1,
  Iso8859_2,
  Iso8859_3,
  Iso8859_4,
  Iso8859_5,
  Iso8859_6,
  Iso8859_7,
  Iso8859_8,
  Iso8859_9,
  Iso8859_10,
  Iso8859_11,
  Iso8859_13,
  Iso8859_14,
  Iso8859_15,
  Iso8859_16,
  Windows1250,
  Windows1251,
  Windows1252,
  Windows1253,
  Windows1254,
  Windows1255,
  Windows1256,
  Windows1257,
  Windows1258,
  Koi8R,
  Koi8U,
  Gbk,
  Gb18030,
  Big5,
  ShiftJis,
  EucJp,
  EucKr,
  Iso2022Jp,  // turned into EUC-JP first
};

inline constexpr Charset kFirstTableCharset = Charset::Iso8859_1;
inline constexpr Charset kFirstSystemCharset = Charset::Gbk;

// The charset a name in an encoded word gives (ASCII letters compared
// without regard to case); none for a name we do not know.
[[nodiscard]] std::optional<Charset> find_charset(std::span<const unsigned char> name);

[[nodiscard]] constexpr bool by_table(Charset charset) {
  return charset >= kFirstTableCharset && charset < kFirstSystemCharset;
}

// The system's converter for a charset from kFirstSystemCharset on but
// ISO-2022-JP, which stand in SystemCharset's order.
[[nodiscard]] constexpr SystemCharset system_charset(Charset charset) {
  return static_cast<SystemCharset>(static_cast<int>(charset) -
                                    static_cast<int>(kFirstSystemCharset));
}

}  // namespace fieldsift
