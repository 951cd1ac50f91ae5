// SPDX-License-Identifier: BSD-2-Clause
#include "values/date_time.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "values/civil_time.h"
#include "values/date_names.h"
#include "values/lexical.h"

namespace fieldsift {
namespace {

using date_names::kDayNames;
using date_names::kMonthNames;
using date_names::kZoneNames;
using date_names::ZoneName;
using Bytes = std::span<const unsigned char>;

constexpr int kLastHour = 23;
constexpr int kLastMinute = 59;
constexpr int kDecimal = 10;
constexpr int kHundred = 100;
constexpr int kTwoDigitYearsFrom2000 = 50;  // 00 to 49
constexpr int kYear2000 = 2000;
constexpr int kFirstYear = 1900;
// The first second that format_iso_date_time cannot write.
constexpr std::int64_t kFirstSecondOf10000 =
    days_from_civil({kLastFourDigitYear + 1, 1, 1}) * kSecondsPerDay;

// What a date-time says, read and not yet checked.
struct Fields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int zone_minutes = 0;
};

// Reads a value from the left; pos <= bytes.size(), and the bytes before pos
// are read. Each step skips the CFWS after its token, so every token may have
// CFWS before it, as the obsolete forms allow.
struct Reader {
  Bytes bytes;
  std::size_t pos = 0;

  [[nodiscard]] bool at_end() const { return pos == bytes.size(); }
  [[nodiscard]] bool at(unsigned char c) const { return !at_end() && bytes[pos] == c; }
  void skip_cfws() { pos = fieldsift::skip_cfws(bytes, pos); }

  bool take(unsigned char c) {
    if (!at(c)) return false;
    ++pos;
    skip_cfws();
    return true;
  }

  // A run of from 1 to max_digits digits, and how many it had (0: none, or
  // more than max_digits).
  std::size_t digits(int& value, std::size_t max_digits) {
    std::size_t n = 0;
    value = 0;
    for (; pos < bytes.size() && is_digit(bytes[pos]); ++pos, ++n) {
      if (n == max_digits) return 0;
      value = value * kDecimal + (bytes[pos] - '0');
    }
    return n;
  }

  std::size_t number(int& value, std::size_t max_digits) {
    const std::size_t n = digits(value, max_digits);
    skip_cfws();
    return n;
  }

  Bytes letters() {
    const std::size_t start = pos;
    while (pos < bytes.size() && is_letter(bytes[pos])) ++pos;
    return bytes.subspan(start, pos - start);
  }
};

// The index of a word of letters among names packed, or names.size(). The
// packing folds every letter, and a word is letters alone.
template <std::size_t N>
std::size_t name_index(Bytes word, const std::array<unsigned, N>& names) {
  const unsigned key = date_names::packed(word);
  return static_cast<std::size_t>(std::ranges::find(names, key) - names.begin());
}

bool day_of_week(Reader& r) {
  const std::size_t start = r.pos;
  if (name_index(r.letters(), date_names::kDayKeys) == kDayNames.size()) {
    r.pos = start;
    return false;
  }
  r.skip_cfws();
  return true;
}

bool month(Reader& r, Fields& f) {
  const std::size_t index = name_index(r.letters(), date_names::kMonthKeys);
  r.skip_cfws();
  f.month = static_cast<int>(index) + 1;
  return index < kMonthNames.size();
}

bool day(Reader& r, Fields& f) { return r.number(f.day, 2) != 0; }

// Four digits are the year as it is, from 1900 on as RFC 5322 has it (more
// digits, a year we could not write); two and three are obs-year, read as
// its section 4.3 says.
bool year(Reader& r, Fields& f) {
  const std::size_t digits = r.number(f.year, 4);
  if (digits == 2) f.year += f.year < kTwoDigitYearsFrom2000 ? kYear2000 : kFirstYear;
  if (digits == 3) f.year += kFirstYear;
  return digits >= 2 && f.year >= kFirstYear;
}

bool time_of_day(Reader& r, Fields& f) {
  if (r.number(f.hour, 2) != 2 || !r.take(':') || r.number(f.minute, 2) != 2) return false;
  f.second = 0;
  return !r.take(':') || r.number(f.second, 2) == 2;
}

// obs-zone: a name from the table, or any other run of letters as -0000.
bool obs_zone(Reader& r, Fields& f) {
  const Bytes name = r.letters();
  const unsigned key = date_names::packed(name);
  const auto* found = std::ranges::find_if(kZoneNames, [key](const ZoneName& z) {
    return key != 0 && date_names::packed(z.name) == key;
  });
  f.zone_minutes = found == kZoneNames.end() ? 0 : found->hours * kMinutesPerHour;
  return !name.empty();
}

// A zone of a sign and hhmm, as minutes east of UTC; false for one that
// cannot be (hh from 24 on, mm from 60 on).
bool numeric_zone(unsigned char sign, int hours, int minutes, Fields& f) {
  f.zone_minutes = (sign == '-' ? -1 : 1) * (hours * kMinutesPerHour + minutes);
  return hours <= kLastHour && minutes <= kLastMinute;
}

bool zone(Reader& r, Fields& f) {
  if (!r.at('+') && !r.at('-')) return obs_zone(r, f);
  const unsigned char sign = r.bytes[r.pos++];
  int hhmm = 0;
  if (r.digits(hhmm, 4) != 4) return false;
  return numeric_zone(sign, hhmm / kHundred, hhmm % kHundred, f);
}

// The zone, or none at the end of the value. What follows a zone, set off by
// white space or a comment, is passed over, as Python's reader passes over
// every word after it (`+0200 CEST`); what is glued to it (`GMT+0200`) makes
// it no zone.
bool zone_and_rest(Reader& r, Fields& f) {
  f.zone_minutes = 0;
  if (r.at_end()) return true;
  if (!zone(r, f)) return false;
  return r.at_end() || is_blank(r.bytes[r.pos]) || r.at('(');
}

// day month year time-of-day zone
bool date_and_time(Reader& r, Fields& f) {
  return day(r, f) && month(r, f) && year(r, f) && time_of_day(r, f) && zone_and_rest(r, f);
}

// asctime's order: month day time-of-day year, a zone after the year or
// before it, or none.
bool asctime(Reader& r, Fields& f) {
  if (!month(r, f) || !day(r, f) || !time_of_day(r, f)) return false;
  if (r.at_end() || is_digit(r.bytes[r.pos])) return year(r, f) && zone_and_rest(r, f);
  if (!zone(r, f)) return false;
  r.skip_cfws();
  return year(r, f) && r.at_end();
}

// [day-of-week ","] date time, or asctime's form with its day of week or
// without. A day name without a comma begins only asctime's.
bool date_time(Reader& r, Fields& f) {
  r.skip_cfws();
  const bool weekday = day_of_week(r);
  if (weekday ? r.take(',') : !r.at_end() && is_digit(r.bytes[r.pos])) return date_and_time(r, f);
  return asctime(r, f);
}

std::optional<std::int64_t> instant(const Fields& f) {
  if (f.day < 1 || f.day > days_in_month(f.year, f.month) || f.hour > kLastHour ||
      f.minute > kLastMinute || f.second > kLastMinute)
    return std::nullopt;
  const std::int64_t seconds =
      days_from_civil({f.year, f.month, f.day}) * kSecondsPerDay +
      (f.hour * kMinutesPerHour + f.minute - f.zone_minutes) * std::int64_t{kSecondsPerMinute} +
      f.second;
  if (seconds >= kFirstSecondOf10000) return std::nullopt;
  return seconds;
}

// The form nearly every Date has, `Wed, 24 Jul 2005 05:21:02 -0500`: a day
// name and comma or none, one space between tokens, seconds, a numeric zone
// and nothing after it, read at fixed places. The full reading takes this
// form too, and reads it to the same fields; any other value is left to it.
class CommonForm {
 public:
  explicit CommonForm(Bytes bytes) : bytes_(bytes) {}

  [[nodiscard]] bool read(Fields& f) const {
    std::size_t at = 0;  // of the day
    if (bytes_.size() > kNameSize + 1 && bytes_[kNameSize] == ',') {
      if (name_at(0, date_names::kDayKeys) == kDayNames.size() || bytes_[kNameSize + 1] != ' ')
        return false;
      at = kNameSize + 2;
    }
    if (at + 1 >= bytes_.size()) return false;
    const bool two_digit_day = is_digit(bytes_[at + 1]);
    f.day = two_digit_day ? pair_at(at) : digit_at(at);
    const std::size_t r = at + (two_digit_day ? 2 : 1);  // " Jul 2005 05:21:02 -0500" from here
    if (bytes_.size() - at != (two_digit_day ? 2 : 1) + kRestSize) return false;
    const std::size_t month = name_at(r + kMonth, date_names::kMonthKeys);
    f.month = static_cast<int>(month) + 1;
    const int century = pair_at(r + kYear);
    const int year_of_century = pair_at(r + kYear + 2);
    f.hour = pair_at(r + kHour);
    f.minute = pair_at(r + kMinute);
    f.second = pair_at(r + kSecond);
    const int zone_hours = pair_at(r + kZone + 1);
    const int zone_minutes = pair_at(r + kZone + 3);
    const unsigned char sign = bytes_[r + kZone];
    if ((f.day | century | year_of_century | f.hour | f.minute | f.second | zone_hours |
         zone_minutes) < 0 ||
        month == kMonthNames.size() || (sign != '+' && sign != '-') ||
        !numeric_zone(sign, zone_hours, zone_minutes, f))
      return false;
    for (const std::size_t space : kSpaces) {
      if (bytes_[r + space] != ' ') return false;
    }
    if (bytes_[r + kMinute - 1] != ':' || bytes_[r + kSecond - 1] != ':') return false;
    f.year = century * kHundred + year_of_century;
    return f.year >= kFirstYear;
  }

 private:
  static constexpr std::size_t kNameSize = 3;
  // Where each token stands from the space after the day:
  // " Jul 2005 05:21:02 -0500", 24 bytes.
  static constexpr std::size_t kMonth = 1;
  static constexpr std::size_t kYear = 5;
  static constexpr std::size_t kHour = 10;
  static constexpr std::size_t kMinute = 13;
  static constexpr std::size_t kSecond = 16;
  static constexpr std::size_t kZone = 19;
  static constexpr std::size_t kRestSize = 24;
  static constexpr std::array<std::size_t, 4> kSpaces = {0, kMonth + 3, kYear + 4, kZone - 1};

  // The index among keys of the three letters at at, or N.
  template <std::size_t N>
  [[nodiscard]] std::size_t name_at(std::size_t at, const std::array<unsigned, N>& keys) const {
    const Bytes word = bytes_.subspan(at, kNameSize);
    if (!std::ranges::all_of(word, is_letter)) return N;
    return name_index(word, keys);
  }
  // The digit, or the two, at at; -1 if a byte is no digit. The length
  // checked, every place read is in the value.
  [[nodiscard]] int digit_at(std::size_t at) const {
    const unsigned d = static_cast<unsigned>(bytes_[at]) - '0';
    return d < kDecimal ? static_cast<int>(d) : -1;
  }
  [[nodiscard]] int pair_at(std::size_t at) const {
    const int tens = digit_at(at);
    const int ones = digit_at(at + 1);
    return tens < 0 || ones < 0 ? -1 : tens * kDecimal + ones;
  }

  Bytes bytes_;
};

}  // namespace

std::optional<std::int64_t> parse_date_time(Bytes value) {
  if (Fields f; CommonForm(value).read(f)) return instant(f);
  const auto last_semicolon = std::find(value.rbegin(), value.rend(), ';');
  Reader r{value.last(static_cast<std::size_t>(last_semicolon - value.rbegin()))};
  Fields f;
  if (!date_time(r, f)) return std::nullopt;
  return instant(f);
}

}  // namespace fieldsift
