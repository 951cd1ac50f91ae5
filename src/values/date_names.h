// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <string_view>

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

}  // namespace fieldsift::date_names
