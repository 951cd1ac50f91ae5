// SPDX-License-Identifier: BSD-2-Clause
#include <algorithm>
#include <array>

#include "bytes/decimal.h"
#include "values/civil_time.h"
#include "values/date_time.h"

namespace fieldsift {
namespace {

// An ISO date-time's separators, and where the numbers' digits go between
// them, two at a time.
constexpr std::string_view kIsoPattern = "0000-00-00T00:00:00Z";
static_assert(kIsoPattern.size() == kIsoDateTimeSize);
enum IsoPlace : std::size_t {
  kCentury = 0,
  kYearOfCentury = 2,
  kMonth = 5,
  kDay = 8,
  kHour = 11,
  kMinute = 14,
  kSecond = 17
};

// Writes a number below 100 as two digits at out[at].
void put_pair(IsoDateTimeText& out, IsoPlace at, int value) {
  const auto& pair = kDigitPairs[static_cast<std::size_t>(value)];
  out[at] = pair[0];
  out[at + 1] = pair[1];
}

}  // namespace

std::string_view format_iso_date_time(std::int64_t seconds, IsoDateTimeText& out) {
  const std::int64_t days = civil::floor_div(seconds, kSecondsPerDay);
  const CivilDate date = civil_from_days(days);
  if (date.year < 0 || date.year > kLastFourDigitYear) return {};
  const auto of_day = static_cast<int>(seconds - days * kSecondsPerDay);  // 0 to 86399
  constexpr int kHundred = kDigitPairCount;
  const auto year = static_cast<int>(date.year);
  std::ranges::copy(kIsoPattern, out.begin());
  put_pair(out, kCentury, year / kHundred);
  put_pair(out, kYearOfCentury, year % kHundred);
  put_pair(out, kMonth, date.month);
  put_pair(out, kDay, date.day);
  put_pair(out, kHour, of_day / kSecondsPerHour);
  put_pair(out, kMinute, of_day / kSecondsPerMinute % kMinutesPerHour);
  put_pair(out, kSecond, of_day % kSecondsPerMinute);
  return {out.data(), out.size()};
}

std::string_view format_epoch_seconds(std::int64_t seconds, EpochSecondsText& out) {
  return decimal(seconds, out);
}

}  // namespace fieldsift
