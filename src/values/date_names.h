// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "bytes/ascii.h"

namespace fieldsift::date_names {

// The names a date-time is written with, in lower case; a value's are
// compared without case.
inline constexpr std::array<std::string_view, 7> kDayNames = {"mon", "tue", "wed", "thu",
                                                              "fri", "sat", "sun"};
inline constexpr std::array<std::string_view, 12> kMonthNames = {
    "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

// The zone names obs-zone gives a meaning, in hours east of UTC. Any other
// name of letters says nothing of the zone: RFC 5322 takes it as -0000, and
// so do we, the military letters among them, whose signs RFC 822 had wrong.
struct ZoneName {
  std::string_view name;
  int hours;
};
inline constexpr std::array<ZoneName, 10> kZoneNames = {{
    {"ut", 0},
    {"gmt", 0},
    {"est", -5},
    {"edt", -4},
    {"cst", -6},
    {"cdt", -5},
    {"mst", -7},
    {"mdt", -6},
    {"pst", -8},
    {"pdt", -7},
}};

// A name of at most three letters as one number, its letters in lower case
// and its length in the top byte, so that a word is looked up among names
// by comparing numbers; 0 for a longer one, which no name is.
[[nodiscard]] constexpr unsigned packed(std::span<const unsigned char> letters) {
  constexpr std::size_t kLongest = 3;
  constexpr unsigned kByteBits = 8;
  if (letters.size() > kLongest) return 0;
  unsigned key = static_cast<unsigned>(letters.size()) << (kLongest * kByteBits);
  for (std::size_t i = 0; i < letters.size(); ++i)
    key |= static_cast<unsigned>(letters[i] | kCaseBit) << (i * kByteBits);
  return key;
}

[[nodiscard]] constexpr unsigned packed(std::string_view name) {
  std::array<unsigned char, 3> letters{};
  const std::size_t n = name.size() < letters.size() ? name.size() : letters.size();
  for (std::size_t i = 0; i < n; ++i) letters[i] = static_cast<unsigned char>(name[i]);
  return name.size() > letters.size() ? 0 : packed(std::span(letters).first(n));
}

template <std::size_t N>
[[nodiscard]] constexpr std::array<unsigned, N> packed_names(
    const std::array<std::string_view, N>& names) {
  std::array<unsigned, N> keys{};
  for (std::size_t i = 0; i < N; ++i) keys[i] = packed(names[i]);
  return keys;
}

inline constexpr std::array<unsigned, kDayNames.size()> kDayKeys = packed_names(kDayNames);
inline constexpr std::array<unsigned, kMonthNames.size()> kMonthKeys = packed_names(kMonthNames);

}  // namespace fieldsift::date_names
