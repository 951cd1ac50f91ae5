// SPDX-License-Identifier: BSD-2-Clause
#include <algorithm>
#include <array>

#include "bytes/decimal.h"
#include "values/civil_time.h"
#include "values/date_time.h"

namespace fieldsift {
namespace {

// The numbers of an ISO date-time, year first, and where each goes in it.
constexpr std::string_view kIsoPattern = "0000-00-00T00:00:00Z";
struct IsoSlot {
  std::size_t at, width;
};
constexpr std::array<IsoSlot, 6> kIsoSlots = {{{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}}};
static_assert(kIsoPattern.size() == kIsoDateTimeSize);

// Writes value in width (2 or 4) decimal digits, zeros first, at out[at];
// every number of a date-time fits.
void put_digits(IsoDateTimeText& out, std::size_t at, int value, std::size_t width) {
  constexpr int kPair = kDigitPairCount;
  for (std::size_t i = width; i > 0; i -= 2, value /= kPair) {
    const auto& pair = kDigitPairs[static_cast<std::size_t>(value % kPair)];
    out[at + i - 2] = pair[0];
    out[at + i - 1] = pair[1];
  }
}

}  // namespace

std::string_view format_iso_date_time(std::int64_t seconds, IsoDateTimeText& out) {
  const std::int64_t days = civil::floor_div(seconds, kSecondsPerDay);
  const CivilDate date = civil_from_days(days);
  if (date.year < 0 || date.year > kLastFourDigitYear) return {};
  const std::int64_t of_day = seconds - days * kSecondsPerDay;  // 0 to 86399
  const auto seconds_of_day = static_cast<int>(of_day);
  const std::array<int, kIsoSlots.size()> numbers = {
      static_cast<int>(date.year),
      date.month,
      date.day,
      seconds_of_day / kSecondsPerHour,
      seconds_of_day / kSecondsPerMinute % kMinutesPerHour,
      seconds_of_day % kSecondsPerMinute};
  std::ranges::copy(kIsoPattern, out.begin());
  for (std::size_t i = 0; i < numbers.size(); ++i)
    put_digits(out, kIsoSlots[i].at, numbers[i], kIsoSlots[i].width);
  return {out.data(), out.size()};
}

std::string_view format_epoch_seconds(std::int64_t seconds, EpochSecondsText& out) {
  return decimal(seconds, out);
}

}  // namespace fieldsift
