// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "bytes/ascii.h"

namespace fieldsift {

// The pieces every structured value is made of, as RFC 5322 (section 3.2)
// states them: atoms, quoted strings, comments and the CFWS between tokens.
// A value comes unfolded, so its folding white space is SP and TAB alone.
// Positions are indexes into the value; none is ever past its end.

// The bytes besides letters and digits that atext holds. A byte from 0x80 on
// is atext too: UTF-8 in a header is text (RFC 6532), and what else such a
// byte is no rule here can tell.
inline constexpr std::string_view kAtextMarks = "!#$%&'*+-/=?^_`{|}~";
inline constexpr unsigned char kFirstEightBitByte = 0x80;

inline constexpr std::array<bool, 256> kAtext = [] {
  std::array<bool, 256> atext{};
  for (std::size_t c = 0; c < atext.size(); ++c) {
    const auto byte = static_cast<unsigned char>(c);
    atext[c] = is_letter(byte) || (byte >= '0' && byte <= '9') || byte >= kFirstEightBitByte;
  }
  for (const char mark : kAtextMarks) atext[static_cast<unsigned char>(mark)] = true;
  return atext;
}();

// atext and '.', of which dot-atoms, obs-phrases and local parts are runs.
inline constexpr std::array<bool, 256> kAtextOrDot = [] {
  std::array<bool, 256> bytes = kAtext;
  bytes['.'] = true;
  return bytes;
}();

[[nodiscard]] constexpr bool is_atext(unsigned char c) { return kAtext[c]; }

// Just past the run of bytes that set holds from pos on: most of a
// structured value is such runs, so four bytes are looked at a time.
[[nodiscard]] constexpr std::size_t run_end(std::span<const unsigned char> bytes, std::size_t pos,
                                            const std::array<bool, 256>& set) {
  constexpr std::size_t kStep = 4;
  const auto in = [&set](unsigned char c) { return static_cast<unsigned>(set[c]); };
  while (bytes.size() - pos >= kStep &&
         (in(bytes[pos]) & in(bytes[pos + 1]) & in(bytes[pos + 2]) & in(bytes[pos + 3])) != 0)
    pos += kStep;
  while (pos < bytes.size() && set[bytes[pos]]) ++pos;
  return pos;
}
[[nodiscard]] constexpr bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// A quoted-pair (a backslash and the byte it stands for) is taken whole
// inside a comment or a quoted string, so neither ends at an escaped byte.
inline constexpr unsigned char kQuotedPair = '\\';

// Just past the '"' that closes the quoted string whose '"' is at open;
// nullopt if the value ends first.
[[nodiscard]] constexpr std::optional<std::size_t> quoted_string_end(
    std::span<const unsigned char> bytes, std::size_t open) {
  for (std::size_t pos = open + 1; pos < bytes.size(); ++pos) {
    if (bytes[pos] == '"') return pos + 1;
    if (bytes[pos] == kQuotedPair) ++pos;
  }
  return std::nullopt;
}

// Just past the ')' that closes the comment whose '(' is at open, the
// comments nested in it included; nullopt if the value ends first.
[[nodiscard]] constexpr std::optional<std::size_t> comment_end(std::span<const unsigned char> bytes,
                                                               std::size_t open) {
  std::size_t depth = 0;  // the comments open before pos
  for (std::size_t pos = open; pos < bytes.size(); ++pos) {
    if (bytes[pos] == '(') {
      ++depth;
    } else if (bytes[pos] == ')') {
      if (--depth == 0) return pos + 1;
    } else if (bytes[pos] == kQuotedPair) {
      ++pos;
    }
  }
  return std::nullopt;
}

// Just past the white space and comments from pos on; nullopt if a comment
// among them never closes. Every parser here skips CFWS through this one.
[[nodiscard]] constexpr std::optional<std::size_t> cfws_end(std::span<const unsigned char> bytes,
                                                            std::size_t pos) {
  while (pos < bytes.size()) {
    if (is_blank(bytes[pos])) {
      ++pos;
    } else if (bytes[pos] == '(') {
      const std::optional<std::size_t> end = comment_end(bytes, pos);
      if (!end) return std::nullopt;
      pos = *end;
    } else {
      break;
    }
  }
  return pos;
}

// The same where a comment left open takes the rest of the value, as it
// does for a reader that only looks past it.
[[nodiscard]] constexpr std::size_t skip_cfws(std::span<const unsigned char> bytes,
                                              std::size_t pos) {
  return cfws_end(bytes, pos).value_or(bytes.size());
}

}  // namespace fieldsift
