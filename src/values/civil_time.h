// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace fieldsift {

// The proleptic Gregorian calendar counted by hand: nothing here asks the
// system, whose time functions differ by platform and by the environment's
// zone, and whose time_t may be 32 bits.

inline constexpr std::int64_t kSecondsPerDay = 86400;
inline constexpr int kSecondsPerHour = 3600;
inline constexpr int kSecondsPerMinute = 60;
inline constexpr int kMinutesPerHour = 60;
// The last year that four digits write.
inline constexpr int kLastFourDigitYear = 9999;

struct CivilDate {
  std::int64_t year;
  int month;  // 1 to 12
  int day;    // 1 to days_in_month(year, month)
};

// The calendar reckoned from March, so that a leap day ends its year: an era
// is 400 years, 146097 days, and the same in every era; the five months from
// March, and again from August, hold 153 days.
namespace civil {
inline constexpr std::int64_t kYearsPerEra = 400;
inline constexpr std::int64_t kDaysPerEra = 146097;
inline constexpr std::int64_t kYearsPerCentury = 100;
inline constexpr std::int64_t kDaysPerYear = 365;
inline constexpr std::int64_t kDaysPerFourYears = 1460;
inline constexpr std::int64_t kDaysPerCentury = 36524;
inline constexpr std::int64_t kDaysPerFiveMonths = 153;
inline constexpr std::int64_t kMonthsPerFive = 5;
inline constexpr int kMonthsPerYear = 12;
inline constexpr int kMarch = 3;
// From 0000-03-01, the first day of era 0, to 1970-01-01.
inline constexpr std::int64_t kEpochDay = 719468;

[[nodiscard]] constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// The days of a year counted from March before the month (0 for March).
[[nodiscard]] constexpr std::int64_t days_before(std::int64_t month_from_march) {
  return (kDaysPerFiveMonths * month_from_march + 2) / kMonthsPerFive;
}

// The days of an era before its year (0 to 399).
[[nodiscard]] constexpr std::int64_t days_before_year(std::int64_t year_of_era) {
  return year_of_era * kDaysPerYear + year_of_era / 4 - year_of_era / kYearsPerCentury;
}
}  // namespace civil

[[nodiscard]] constexpr bool is_leap_year(std::int64_t year) {
  return year % 4 == 0 && (year % civil::kYearsPerCentury != 0 || year % civil::kYearsPerEra == 0);
}

[[nodiscard]] constexpr int days_in_month(std::int64_t year, int month) {
  constexpr int kFebruary = 2;
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == kFebruary && is_leap_year(year) ? kDays[1] + 1
                                                  : kDays[static_cast<std::size_t>(month - 1)];
}

// The days from 1970-01-01 to the date (negative before it).
[[nodiscard]] constexpr std::int64_t days_from_civil(CivilDate date) {
  namespace c = civil;
  const std::int64_t year = date.month < c::kMarch ? date.year - 1 : date.year;
  const std::int64_t era = c::floor_div(year, c::kYearsPerEra);
  const std::int64_t year_of_era = year - era * c::kYearsPerEra;
  const int month_from_march = (date.month + c::kMonthsPerYear - c::kMarch) % c::kMonthsPerYear;
  const std::int64_t day_of_era =
      c::days_before_year(year_of_era) + c::days_before(month_from_march) + date.day - 1;
  return era * c::kDaysPerEra + day_of_era - c::kEpochDay;
}

// The date of a day counted from 1970-01-01: days_from_civil undone.
[[nodiscard]] constexpr CivilDate civil_from_days(std::int64_t days) {
  namespace c = civil;
  const std::int64_t from_era_0 = days + c::kEpochDay;
  const std::int64_t era = c::floor_div(from_era_0, c::kDaysPerEra);
  const std::int64_t day_of_era = from_era_0 - era * c::kDaysPerEra;  // 0 to 146096
  // Each fourth year, each century but each fourth century, is a day longer.
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / c::kDaysPerFourYears + day_of_era / c::kDaysPerCentury -
       day_of_era / (c::kDaysPerEra - 1)) /
      c::kDaysPerYear;
  const std::int64_t day_of_year = day_of_era - c::days_before_year(year_of_era);
  const std::int64_t month_from_march =
      (c::kMonthsPerFive * day_of_year + 2) / c::kDaysPerFiveMonths;
  const auto day = static_cast<int>(day_of_year - c::days_before(month_from_march) + 1);
  const auto month = static_cast<int>((month_from_march + c::kMarch - 1) % c::kMonthsPerYear + 1);
  return {year_of_era + era * c::kYearsPerEra + (month < c::kMarch ? 1 : 0), month, day};
}

}  // namespace fieldsift
