// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fieldsift {

// Numbers in decimal, two digits at a time: a row writes one or more a
// message, and a date-time six.

inline constexpr unsigned kDecimalBase = 10;
inline constexpr unsigned kDigitPairCount = kDecimalBase * kDecimalBase;

// "00" to "99".
inline constexpr std::array<std::array<char, 2>, kDigitPairCount> kDigitPairs = [] {
  std::array<std::array<char, 2>, kDigitPairCount> pairs{};
  for (std::size_t i = 0; i < pairs.size(); ++i)
    pairs[i] = {static_cast<char>('0' + i / kDecimalBase),
                static_cast<char>('0' + i % kDecimalBase)};
  return pairs;
}();

// The longest decimal an int64 takes: -9223372036854775808.
inline constexpr std::size_t kDecimalSize = 20;
using DecimalText = std::array<char, kDecimalSize>;

// The number in decimal, at the end of out.
[[nodiscard]] constexpr std::string_view decimal(std::uint64_t number, DecimalText& out) {
  std::size_t at = out.size();
  while (number >= kDecimalBase) {
    const auto& pair = kDigitPairs[static_cast<std::size_t>(number % kDigitPairCount)];
    number /= kDigitPairCount;
    out[--at] = pair[1];
    out[--at] = pair[0];
  }
  if (number > 0 || at == out.size()) out[--at] = static_cast<char>('0' + number);
  return {out.data() + at, out.size() - at};
}

// The same for a signed number, a '-' before it if negative.
[[nodiscard]] constexpr std::string_view decimal(std::int64_t number, DecimalText& out) {
  // The magnitude of the least int64 is one more than the greatest.
  const std::uint64_t magnitude =
      number < 0 ? ~static_cast<std::uint64_t>(number) + 1 : static_cast<std::uint64_t>(number);
  const std::string_view digits = decimal(magnitude, out);
  if (number >= 0) return digits;
  const std::size_t at = out.size() - digits.size() - 1;
  out[at] = '-';
  return {out.data() + at, digits.size() + 1};
}

}  // namespace fieldsift
