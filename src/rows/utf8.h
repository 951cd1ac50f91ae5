// SPDX-License-Identifier: BSD-2-Clause
#pragma once

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

// U+FFFD, which stands for each byte that begins no well-formed sequence.
inline constexpr std::array<unsigned char, 3> kReplacementCharacter = {0xEF, 0xBF, 0xBD};

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

}  // namespace fieldsift
