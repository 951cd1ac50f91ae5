#pragma once

// Encoded words made plainly, for the decoder's property tests and fuzz
// target: B and Q written from their definitions, and what decoding must make
// of a character. Nothing here uses the program's own code.

#include <cstddef>
#include <string>
#include <string_view>

namespace fieldsift::model {

inline std::string encode_b(std::string_view bytes) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    unsigned group = 0;
    for (std::size_t k = 0; k < 3; ++k)
      group = group << 8U | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0U);
    for (std::size_t k = 0; k < 4; ++k)
      text += k <= n ? kAlphabet[group >> (18 - 6 * k) & 0x3FU] : '=';
  }
  return text;
}

// Letters and digits as they are, a space as _, every other byte as =XX.
inline std::string encode_q(std::string_view bytes) {
  static constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9')) {
      text += c;
    } else if (byte == ' ') {
      text += '_';
    } else {
      text += '=';
      text += kHex[byte >> 4U];
      text += kHex[byte & 0xFU];
    }
  }
  return text;
}

inline std::string encoded_word(std::string_view charset, bool base64, std::string_view bytes) {
  return "=?" + std::string(charset) + (base64 ? "?B?" : "?Q?") +
         (base64 ? encode_b(bytes) : encode_q(bytes)) + "?=";
}

inline std::string utf8_of(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | c >> 6);
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | c >> 12);
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | c >> 18);
    s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// What a decoded character is written as: a control other than TAB, CR and
// LF (C0, DEL, C1) as U+FFFD, any other as its UTF-8.
inline std::string decoded_character(char32_t c) {
  const bool control =
      (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || (c >= 0x7F && c <= 0x9F);
  return utf8_of(control ? 0xFFFD : c);
}

}  // namespace fieldsift::model
