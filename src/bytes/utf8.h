// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

namespace fieldsift {

// The well-formed UTF-8 sequences of more than one byte, by their first byte:
// the range its second byte must lie in (which rules out overlong forms,
// surrogates and anything above U+10FFFF) and the sequence's length. Every
// byte after the second lies in 80..BF. Bytes 00..7F stand alone; any lead
// byte not listed begins no well-formed sequence.
struct Utf8Form {
  unsigned char lead_low, lead_high;
  unsigned char second_low, second_high;
  std::size_t length;
};

inline constexpr std::array<Utf8Form, 8> kUtf8Forms = {{
    {0xC2, 0xDF, 0x80, 0xBF, 2},
    {0xE0, 0xE0, 0xA0, 0xBF, 3},
    {0xE1, 0xEC, 0x80, 0xBF, 3},
    {0xED, 0xED, 0x80, 0x9F, 3},
    {0xEE, 0xEF, 0x80, 0xBF, 3},
    {0xF0, 0xF0, 0x90, 0xBF, 4},
    {0xF1, 0xF3, 0x80, 0xBF, 4},
    {0xF4, 0xF4, 0x80, 0x8F, 4},
}};

// U+FFFD, which stands for each byte that begins no well-formed sequence,
// and for what else is not to be written as it is; and its UTF-8.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
inline constexpr std::array<unsigned char, 3> kReplacementBytes = {0xEF, 0xBF, 0xBD};

// The range of every byte of a sequence after its first.
inline constexpr unsigned char kContinuationLow = 0x80;
inline constexpr unsigned char kContinuationHigh = 0xBF;

// The length of the well-formed sequence that bytes begin with; 0 if their
// first byte begins none (or there are no bytes).
[[nodiscard]] constexpr std::size_t well_formed_length(std::span<const unsigned char> bytes) {
  if (bytes.empty()) return 0;
  if (bytes[0] < 0x80) return 1;
  for (const Utf8Form& form : kUtf8Forms) {
    if (bytes[0] < form.lead_low || bytes[0] > form.lead_high) continue;
    if (bytes.size() < form.length) return 0;
    if (bytes[1] < form.second_low || bytes[1] > form.second_high) return 0;
    for (std::size_t i = 2; i < form.length; ++i) {
      if (bytes[i] < kContinuationLow || bytes[i] > kContinuationHigh) return 0;
    }
    return form.length;
  }
  return 0;
}

// Reads UTF-8 a byte at a time, by the same forms, and refuses what is not
// UTF-8: a byte that cannot begin a character, a short form, a surrogate, a
// character past U+10FFFF, a character cut short.
class Utf8Reader {
 public:
  // False: the byte cannot come next.
  [[nodiscard]] bool feed(unsigned char byte) {
    if (needed_ == 0) return begin(byte);
    if (byte < low_ || byte > high_) return false;
    partial_ = partial_ << kContinuationBits | (byte & kContinuationPayload);
    low_ = kContinuationLow;
    high_ = kContinuationHigh;
    --needed_;
    return true;
  }

  // Whether the bytes so far end a character; then character() is that one.
  [[nodiscard]] bool whole() const { return needed_ == 0; }
  [[nodiscard]] char32_t character() const { return partial_; }

 private:
  static constexpr unsigned kContinuationBits = 6;
  static constexpr unsigned kContinuationPayload = 0x3F;
  // The bits of the character a lead byte carries, by the sequence's length.
  static constexpr std::array<unsigned, 5> kLeadPayload = {0, 0, 0x1F, 0x0F, 0x07};

  bool begin(unsigned char byte) {
    partial_ = byte;
    if (byte < kContinuationLow) return true;
    const auto* const form = std::ranges::find_if(kUtf8Forms, [byte](const Utf8Form& f) {
      return byte >= f.lead_low && byte <= f.lead_high;
    });
    if (form == kUtf8Forms.end()) return false;
    partial_ = byte & kLeadPayload[form->length];
    needed_ = static_cast<unsigned>(form->length - 1);
    low_ = form->second_low;
    high_ = form->second_high;
    return true;
  }

  char32_t partial_ = 0;                  // the bits of the character so far
  unsigned needed_ = 0;                   // the bytes it still needs
  unsigned char low_ = kContinuationLow;  // the range the next of them must lie in
  unsigned char high_ = kContinuationHigh;
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
