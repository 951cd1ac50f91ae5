// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "bytes/ascii.h"
#include "decode/charset.h"

namespace fieldsift {

// One encoded word, =?charset[*language]?B|Q?text?=, that we can decode.
struct EncodedWord {
  const Charset* charset;               // never null
  bool base64;                          // B; else Q
  std::span<const unsigned char> text;  // between the third ? and the closing ?=
};

// The encoded word a token is, whole; none when it is not one we can decode:
// not of that form (a language other than letters, digits and -, no text at
// all), a charset we do not know, or text that is not proper B or Q. B may lack its padding
// or have too much, and its last character may carry bits past its last
// whole byte, as real mail has them; but a lone character after its last
// group of four stands for no byte, and makes it improper. Q takes hex
// digits of either case.
[[nodiscard]] std::optional<EncodedWord> parse_encoded_word(std::span<const unsigned char> token);

// The length of the =?charset?E?text?= that bytes begin with, whether or not
// it is a word we can decode: up to the ?= after the fourth ?. 0 if they
// begin with none.
[[nodiscard]] std::size_t encoded_word_length(std::span<const unsigned char> bytes);

namespace word_text {

inline constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
inline constexpr std::int8_t kNotBase64 = -1;

// The six bits each byte stands for in B, or kNotBase64.
inline constexpr std::array<std::int8_t, 256> kSextets = [] {
  std::array<std::int8_t, 256> sextets{};
  sextets.fill(kNotBase64);
  for (std::size_t i = 0; i < kBase64Alphabet.size(); ++i)
    sextets[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<std::int8_t>(i);
  return sextets;
}();

inline constexpr unsigned kSextetBits = 6;
inline constexpr unsigned kByteBits = 8;

[[nodiscard]] constexpr unsigned hex_value(unsigned char c) {
  constexpr unsigned kValueOfA = 10;
  if (c >= '0' && c <= '9') return c - '0';
  return (c | kCaseBit) - 'a' + kValueOfA;  // a hex letter of either case, as checked
}

}  // namespace word_text

// Hands sink, one at a time, the bytes that the text of a word from
// parse_encoded_word stands for.
template <typename Sink>
void decode_text(const EncodedWord& word, Sink&& sink) {
  using word_text::hex_value;
  using word_text::kByteBits;
  using word_text::kNotBase64;
  using word_text::kSextetBits;
  using word_text::kSextets;
  const std::span<const unsigned char> text = word.text;
  if (word.base64) {
    unsigned bits = 0;  // only its low `count` bits are set, and not yet handed out
    unsigned count = 0;
    for (const unsigned char c : text) {
      if (kSextets[c] == kNotBase64) break;  // the padding
      bits = bits << kSextetBits | static_cast<unsigned>(kSextets[c]);
      count += kSextetBits;
      if (count >= kByteBits) {
        count -= kByteBits;
        sink(static_cast<unsigned char>(bits >> count));
        bits &= (1U << count) - 1;
      }
    }
    return;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      sink(static_cast<unsigned char>(' '));
    } else if (text[i] == '=') {
      sink(static_cast<unsigned char>(hex_value(text[i + 1]) << 4U | hex_value(text[i + 2])));
      i += 2;
    } else {
      sink(text[i]);
    }
  }
}

}  // namespace fieldsift
