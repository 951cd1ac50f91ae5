// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>

namespace fieldsift {

// Reads UTF-8 a byte at a time and refuses what is not UTF-8: a byte that
// cannot begin a character, a short form, a surrogate, a character past
// U+10FFFF, a character cut short.
class Utf8Reader {
 public:
  // False: the byte cannot come next.
  [[nodiscard]] bool feed(unsigned char byte) {
    if (needed_ == 0) return begin(byte);
    if (byte < low_ || byte > high_) return false;
    partial_ = partial_ << kContinuationBits | (byte & kContinuationPayload);
    low_ = kFirstContinuation;
    high_ = kLastContinuation;
    --needed_;
    return true;
  }

  // Whether the bytes so far end a character; then character() is that one.
  [[nodiscard]] bool whole() const { return needed_ == 0; }
  [[nodiscard]] char32_t character() const { return partial_; }

 private:
  static constexpr unsigned kContinuationBits = 6;
  static constexpr unsigned kContinuationPayload = 0x3F;
  static constexpr unsigned char kFirstContinuation = 0x80;
  static constexpr unsigned char kLastContinuation = 0xBF;

  // The bytes that begin a character of more than one byte: their range,
  // the bits of the character they carry, and how many bytes follow.
  struct Lead {
    unsigned char first, last;
    unsigned payload;
    unsigned following;
  };
  static constexpr std::array<Lead, 3> kLeads = {{
      {0xC2, 0xDF, 0x1F, 1},
      {0xE0, 0xEF, 0x0F, 2},
      {0xF0, 0xF4, 0x07, 3},
  }};
  // Where a short form, a surrogate or a character past U+10FFFF would
  // begin, the lead narrows the range of the byte after it.
  struct Narrowed {
    unsigned char lead, low, high;
  };
  static constexpr std::array<Narrowed, 4> kNarrowed = {{
      {0xE0, 0xA0, 0xBF},
      {0xED, 0x80, 0x9F},
      {0xF0, 0x90, 0xBF},
      {0xF4, 0x80, 0x8F},
  }};

  bool begin(unsigned char byte) {
    partial_ = byte;
    if (byte < kFirstContinuation) return true;
    for (const Lead& lead : kLeads) {
      if (byte < lead.first || byte > lead.last) continue;
      partial_ = byte & lead.payload;
      needed_ = lead.following;
      for (const Narrowed& narrowed : kNarrowed) {
        if (byte == narrowed.lead) {
          low_ = narrowed.low;
          high_ = narrowed.high;
        }
      }
      return true;
    }
    return false;
  }

  char32_t partial_ = 0;                    // the bits of the character so far
  unsigned needed_ = 0;                     // the bytes it still needs
  unsigned char low_ = kFirstContinuation;  // the range the next of them must lie in
  unsigned char high_ = kLastContinuation;
};

// Writes the UTF-8 of a character (no surrogate, none past U+10FFFF) at
// into, which has room for 4 bytes; answers how many it took.
inline std::size_t put_utf8(char32_t c, unsigned char* into) {
  // The first character that takes 2, 3 and 4 bytes, and the mark of a lead
  // byte of each length.
  constexpr std::array<char32_t, 3> kLongerFrom = {0x80, 0x800, 0x10000};
  constexpr std::array<unsigned char, 4> kLeadMarks = {0x00, 0xC0, 0xE0, 0xF0};
  constexpr unsigned kContinuationBits = 6;
  constexpr unsigned kContinuationPayload = 0x3F;
  constexpr unsigned char kContinuationMark = 0x80;
  std::size_t n = 1;
  while (n <= kLongerFrom.size() && c >= kLongerFrom[n - 1]) ++n;
  for (std::size_t i = n - 1; i > 0; --i) {
    into[i] = static_cast<unsigned char>(kContinuationMark | (c & kContinuationPayload));
    c >>= kContinuationBits;
  }
  into[0] = static_cast<unsigned char>(kLeadMarks[n - 1] | c);
  return n;
}

}  // namespace fieldsift
