// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_escapes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fieldsift {
namespace {

// The bytes a TSV column holds as they are: all but the four it escapes.
constexpr std::array<bool, 256> kTsvPlain = [] {
  std::array<bool, 256> plain{};
  for (std::size_t c = 0; c < plain.size(); ++c)
    plain[c] = c != '\\' && c != '\t' && c != '\r' && c != '\n';
  return plain;
}();

// How a byte stands in a JSON string: as it is, escaped, or as the first of
// bytes that must be checked for well-formed UTF-8.
enum class JsonByte : unsigned char { Plain, Escaped, Eight };

constexpr std::array<JsonByte, 256> kJsonBytes = [] {
  std::array<JsonByte, 256> kinds{};
  for (std::size_t c = 0; c < kinds.size(); ++c) {
    kinds[c] = c >= 0x80                           ? JsonByte::Eight
               : c < 0x20 || c == '"' || c == '\\' ? JsonByte::Escaped
                                                   : JsonByte::Plain;
  }
  return kinds;
}();

// Eight bytes at a time, whether any byte is below n (n <= 0x80) or equal
// to c: subtracting borrows through the high bit of exactly such bytes.
constexpr std::uint64_t kOnes = ~std::uint64_t{0} / 0xFF;
constexpr std::uint64_t kHighBits = kOnes * 0x80;

constexpr bool any_below(std::uint64_t word, unsigned char n) {
  return ((word - kOnes * n) & ~word & kHighBits) != 0;
}

constexpr bool any_equal(std::uint64_t word, unsigned char c) {
  return any_below(word ^ (kOnes * c), 1);
}

std::uint64_t word_at(const unsigned char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The fewer than eight bytes from i to the end as a word: the last word of
// the bytes, whose earlier bytes have passed already, or where there is none
// the bytes padded with letters, which no format escapes.
std::uint64_t last_word(std::span<const unsigned char> bytes, std::size_t i) {
  if (bytes.size() >= sizeof(std::uint64_t))
    return word_at(bytes.data() + bytes.size() - sizeof(std::uint64_t));
  std::uint64_t word = kOnes * 'a';
  std::memcpy(&word, bytes.data() + i, bytes.size() - i);
  return word;
}

// The first byte from i on that flagged() picks out; whole words that
// clean() clears (it may clear fewer, never more) are passed eight bytes at
// a time, as most values need no escape at all.
template <class WordTest, class ByteTest>
std::size_t next_flagged(std::span<const unsigned char> bytes, std::size_t i, WordTest clean,
                         ByteTest flagged) {
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  while (true) {
    while (bytes.size() - i >= kWord && clean(word_at(bytes.data() + i))) i += kWord;
    if (i < bytes.size() && bytes.size() - i < kWord && clean(last_word(bytes, i)))
      return bytes.size();
    const std::size_t word_end = std::min(bytes.size(), i + kWord);
    for (; i < word_end; ++i) {
      if (flagged(bytes[i])) return i;
    }
    if (i == bytes.size()) return i;
  }
}

}  // namespace

std::string_view tsv_escape(unsigned char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\r':
      return "\\r";
    case '\n':
      return "\\n";
    default:
      return "\\\\";
  }
}

// The escape of a byte whose kind is Escaped; escape holds it if need be.
std::string_view json_escape(unsigned char c, UnicodeEscape& escape) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\b':
      return "\\b";
    case '\f':
      return "\\f";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    default:
      break;
  }
  static constexpr std::string_view kHex = "0123456789abcdef";
  escape = {'\\', 'u', '0', '0', kHex[c / 16], kHex[c % 16]};
  return {escape.data(), escape.size()};
}

std::size_t next_tsv_escape(std::span<const unsigned char> bytes, std::size_t i) {
  return next_flagged(
      bytes, i, [](std::uint64_t w) { return !any_below(w, 0x20) && !any_equal(w, '\\'); },
      [](unsigned char c) { return !kTsvPlain[c]; });
}

// The next byte that is not Plain: one to escape, or one to check for UTF-8.
std::size_t next_json_check(std::span<const unsigned char> bytes, std::size_t i) {
  return next_flagged(
      bytes, i,
      [](std::uint64_t w) {
        return (w & kHighBits) == 0 && !any_below(w, 0x20) && !any_equal(w, '"') &&
               !any_equal(w, '\\');
      },
      [](unsigned char c) { return kJsonBytes[c] != JsonByte::Plain; });
}

std::size_t next_csv_check(std::span<const unsigned char> bytes, std::size_t i) {
  return next_flagged(
      bytes, i,
      [](std::uint64_t w) {
        return (w & kHighBits) == 0 && !any_equal(w, ',') && !any_equal(w, '"') &&
               !any_equal(w, '\r') && !any_equal(w, '\n');
      },
      [](unsigned char c) { return c >= 0x80 || c == ',' || c == '"' || c == '\r' || c == '\n'; });
}

}  // namespace fieldsift
