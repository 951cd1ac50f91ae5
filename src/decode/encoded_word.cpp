// SPDX-License-Identifier: BSD-2-Clause
#include "decode/encoded_word.h"

#include <algorithm>

#include "bytes/ascii.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;

bool is_hex_digit(unsigned char c) {
  return (c >= '0' && c <= '9') || ((c | kCaseBit) >= 'a' && (c | kCaseBit) <= 'f');
}

// A language tag is letters and digits in parts joined by -.
bool is_language_byte(unsigned char c) {
  return (c >= '0' && c <= '9') || is_letter(c) || c == '-';
}

// Letters, digits and +/, then any number of = and nothing after them; never
// a lone letter after the last group of four.
bool is_proper_b(Bytes text) {
  const auto data = std::find_if(text.begin(), text.end(), [](unsigned char c) {
    return word_text::kSextets[c] == word_text::kNotBase64;
  });
  const bool padding_only = std::all_of(data, text.end(), [](unsigned char c) { return c == '='; });
  return padding_only && (data - text.begin()) % 4 != 1;
}

// Printable ASCII (never ?, which ends the text), each = followed by two hex digits.
bool is_proper_q(Bytes text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = text[i];
    if (c <= ' ' || c > '~') return false;
    if (c == '=') {
      if (text.size() - i < 3 || !is_hex_digit(text[i + 1]) || !is_hex_digit(text[i + 2]))
        return false;
      i += 2;
    }
  }
  return true;
}

}  // namespace

std::optional<EncodedWord> parse_encoded_word(Bytes token) {
  constexpr std::size_t kShortest = 8;  // =?c?Q?, no text, ?=
  const std::size_t n = token.size();
  if (n < kShortest || token[0] != '=' || token[1] != '?' || token[n - 2] != '?' ||
      token[n - 1] != '=')
    return std::nullopt;
  const Bytes inner = token.subspan(2, n - 4);  // charset?E?text
  const auto mark = std::find(inner.begin(), inner.end(), '?');
  const auto label = static_cast<std::size_t>(mark - inner.begin());
  if (label + 3 > inner.size() || inner[label + 2] != '?') return std::nullopt;
  const Bytes text = inner.subspan(label + 3);
  if (text.empty() || std::find(text.begin(), text.end(), '?') != text.end()) return std::nullopt;
  // A language after * says nothing about the bytes.
  const Bytes name = inner.first(label);
  const auto star = std::find(name.begin(), name.end(), '*');
  if (star != name.end() && !std::all_of(star + 1, name.end(), is_language_byte))
    return std::nullopt;
  const Charset* const charset =
      find_charset(name.first(static_cast<std::size_t>(star - name.begin())));
  if (charset == nullptr) return std::nullopt;
  const unsigned char encoding = inner[label + 1] | kCaseBit;
  if (encoding == 'b' && is_proper_b(text)) return EncodedWord{charset, true, text};
  if (encoding == 'q' && is_proper_q(text)) return EncodedWord{charset, false, text};
  return std::nullopt;
}

std::size_t encoded_word_length(Bytes bytes) {
  constexpr std::size_t kShortest = 8;  // =?c?Q?, ?= (its text is for parse_encoded_word)
  if (bytes.size() < kShortest || bytes[0] != '=' || bytes[1] != '?') return 0;
  const auto mark = std::find(bytes.begin() + 2, bytes.end(), '?');  // after the charset
  if (bytes.end() - mark < 4 || mark[2] != '?') return 0;
  const auto end_mark = std::find(mark + 3, bytes.end(), '?');  // after the text
  if (bytes.end() - end_mark < 2 || end_mark[1] != '=') return 0;
  return static_cast<std::size_t>(end_mark + 2 - bytes.begin());
}

}  // namespace fieldsift
