#pragma once

// The instant a date-time names, for value_model.h's :iso and :epoch,
// worked out plainly: tokens, then either form read a token at a time, then
// the calendar counted a year and a month at a time. Nothing here uses the
// program's own code.
//
// A value holding a ';' (a Received field) is read after its last one. The
// forms: RFC 5322's [day-name ","] day month year hh:mm[:ss] [zone], and
// asctime's [day-name] month day hh:mm[:ss] [zone] year [zone], CFWS
// between any two tokens. A day of one or two digits; month and day names
// of three letters in any case; a year of four digits from 1900, of two
// (below 50 plus 2000, else plus 1900) or of three (plus 1900); hh below
// 24, mm and ss below 60. A zone is +hhmm or -hhmm, the digits right after
// the sign (hh below 24, mm below 60), or a name of letters: UT, GMT and
// the US zones their hours, any other UTC, as no zone is. What follows a
// zone, set off by white space or a comment, is passed over; nothing but
// CFWS follows asctime's year after its zone. A day name before a comma
// that is none, a date that cannot be (29 February of a common year, 31
// April) and an instant after 9999 name nothing; a day name of another day
// than the date's is passed over.

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/lexical_model.h"

namespace fieldsift::model {

// A date-time's token: a run of digits, a run of letters, or another byte.
struct DateToken {
  std::string text;
  bool spaced = false;  // white space or a comment stands before it
  [[nodiscard]] bool number() const { return is_ascii_digit(text[0]); }
  [[nodiscard]] bool word() const { return is_ascii_letter(text[0]); }
  [[nodiscard]] bool is(char c) const { return text.size() == 1 && text[0] == c; }
};

// The tokens up to the value's end, or to a comment that never closes.
[[nodiscard]] inline std::vector<DateToken> date_tokens(const std::string& s) {
  std::vector<DateToken> tokens;
  bool spaced = false;
  for (std::size_t i = 0; i < s.size();) {
    if (is_wsp(s[i]) || s[i] == '(') {
      const std::optional<Piece> c = s[i] == '(' ? comment_at(s, i) : Piece{"", i + 1};
      if (!c) break;
      i = c->end;
      spaced = true;
      continue;
    }
    std::size_t end = i + 1;
    const auto same = [&](char c) {
      return (is_ascii_digit(s[i]) && is_ascii_digit(c)) ||
             (is_ascii_letter(s[i]) && is_ascii_letter(c));
    };
    while (end < s.size() && same(s[end])) ++end;
    tokens.push_back({s.substr(i, end - i), spaced});
    spaced = false;
    i = end;
  }
  return tokens;
}

// The position of a name in a table, without case; none if absent.
template <std::size_t N>
[[nodiscard]] std::optional<int> name_in(const std::array<std::string_view, N>& table,
                                         const std::string& name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (lower_case(name) == table[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

inline constexpr std::array<std::string_view, 7> kDayNames = {"mon", "tue", "wed", "thu",
                                                              "fri", "sat", "sun"};
inline constexpr std::array<std::string_view, 12> kMonthNames = {
    "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

[[nodiscard]] inline bool leap(long long year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

[[nodiscard]] inline int month_days(long long year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leap(year) ? 1 : 0);
}

// The days from 1970-01-01 to the first of the month, counted a year and a month at a time.
[[nodiscard]] inline long long days_to(long long year, int month) {
  long long days = 0;
  for (long long y = 1970; y < year; ++y) days += leap(y) ? 366 : 365;
  for (long long y = year; y < 1970; ++y) days -= leap(y) ? 366 : 365;
  for (int m = 1; m < month; ++m) days += month_days(year, m);
  return days;
}

// The parts of a date-time as written, before they are checked.
struct DateParts {
  long long day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  long long zone_minutes = 0;  // east of UTC
};

// Reads the tokens of a date-time from t[i] on, i past what it takes.
struct DateReader {
  const std::vector<DateToken>& t;
  std::size_t i = 0;

  [[nodiscard]] bool more() const { return i < t.size(); }
  [[nodiscard]] bool next_is(char c) const { return more() && t[i].is(c); }
  // A number of min to max digits, as its value.
  [[nodiscard]] std::optional<long long> digits(std::size_t min, std::size_t max) {
    if (!more() || !t[i].number() || t[i].text.size() < min || t[i].text.size() > max)
      return std::nullopt;
    return std::stoll(t[i++].text);
  }
  [[nodiscard]] std::optional<int> month() {
    if (!more() || !t[i].word()) return std::nullopt;
    const std::optional<int> m = name_in(kMonthNames, t[i].text);
    if (m) ++i;
    return m ? std::optional<int>(*m + 1) : std::nullopt;
  }
  [[nodiscard]] bool year(DateParts& p) {
    const std::optional<long long> y = digits(2, 4);
    if (!y) return false;
    const std::size_t width = t[i - 1].text.size();
    p.year = width == 4 ? *y : width == 3 ? *y + 1900 : *y < 50 ? *y + 2000 : *y + 1900;
    return true;
  }
  [[nodiscard]] bool time(DateParts& p) {
    const std::optional<long long> h = digits(2, 2);
    if (!h || !next_is(':')) return false;
    ++i;
    const std::optional<long long> m = digits(2, 2);
    if (!m) return false;
    p.hour = *h;
    p.minute = *m;
    if (!next_is(':')) return true;
    ++i;
    const std::optional<long long> s = digits(2, 2);
    p.second = s.value_or(0);
    return s.has_value();
  }
  // A zone, if one stands here; false if something else does.
  [[nodiscard]] bool zone(DateParts& p, bool& found) {
    found = false;
    if (!more()) return true;
    if (t[i].is('+') || t[i].is('-')) {
      if (i + 1 >= t.size() || t[i + 1].spaced || !t[i + 1].number() || t[i + 1].text.size() != 4)
        return false;
      const long long hh = std::stoll(t[i + 1].text.substr(0, 2));
      const long long mm = std::stoll(t[i + 1].text.substr(2));
      if (hh > 23 || mm > 59) return false;
      p.zone_minutes = (t[i].is('+') ? 1 : -1) * (hh * 60 + mm);
      i += 2;
    } else if (t[i].word()) {
      static constexpr std::array<std::string_view, 10> kZones = {
          "ut", "gmt", "est", "edt", "cst", "cdt", "mst", "mdt", "pst", "pdt"};
      static constexpr std::array<int, 10> kHours = {0, 0, -5, -4, -6, -5, -7, -6, -8, -7};
      const std::optional<int> z = name_in(kZones, t[i].text);
      p.zone_minutes = z ? kHours[static_cast<std::size_t>(*z)] * 60 : 0;
      ++i;
    } else {
      return false;
    }
    found = true;
    return true;
  }
};

// The parts of either form, or none where the tokens are no date-time.
[[nodiscard]] inline std::optional<DateParts> date_parts(const std::vector<DateToken>& t) {
  DateParts p;
  DateReader r{t, 0};
  // A day name is passed over, whatever the day; a word before a comma must be one.
  const bool named = r.more() && t[0].word() && name_in(kDayNames, t[0].text).has_value();
  const bool comma = r.more() && t[0].word() && t.size() > 1 && t[1].is(',');
  if (comma && !named) return std::nullopt;
  if (comma) r.i = 2;
  bool zoned = false;
  if (comma || (r.more() && t[0].number())) {
    const std::optional<long long> day = r.digits(1, 2);
    const std::optional<int> month = day ? r.month() : std::nullopt;
    if (!month || !r.year(p) || !r.time(p) || !r.zone(p, zoned)) return std::nullopt;
    p.day = *day;
    p.month = *month;
  } else {
    if (named && t.size() > 1 && t[1].word()) r.i = 1;
    const std::optional<int> month = r.month();
    const std::optional<long long> day = month ? r.digits(1, 2) : std::nullopt;
    if (!day || !r.time(p)) return std::nullopt;
    if (r.more() && !t[r.i].number() && !r.zone(p, zoned)) return std::nullopt;
    if (!r.year(p)) return std::nullopt;
    if (zoned && r.more()) return std::nullopt;  // nothing follows a year after its zone
    if (!zoned && !r.zone(p, zoned)) return std::nullopt;
    p.day = *day;
    p.month = *month;
  }
  if (r.more() && !t[r.i].spaced) return std::nullopt;
  return p;
}

inline constexpr long long kLastSecond = 253402300799;  // 9999-12-31T23:59:59Z

// The seconds since 1970-01-01T00:00:00Z that a date-time names; none if it names none.
[[nodiscard]] inline std::optional<long long> date_seconds(const std::string& value) {
  const std::size_t semicolon = value.rfind(';');
  const std::optional<DateParts> p =
      date_parts(date_tokens(semicolon == std::string::npos ? value : value.substr(semicolon + 1)));
  if (!p || p->year < 1900 || p->year > 9999 || p->day < 1 ||
      p->day > month_days(p->year, static_cast<int>(p->month)) || p->hour > 23 || p->minute > 59 ||
      p->second > 59)
    return std::nullopt;
  const long long days = days_to(p->year, static_cast<int>(p->month)) + p->day - 1;
  const long long seconds =
      days * 86400 + p->hour * 3600 + p->minute * 60 + p->second - p->zone_minutes * 60;
  if (seconds > kLastSecond) return std::nullopt;
  return seconds;
}

// YYYY-MM-DDTHH:MM:SSZ, the date found by stepping a day count a year and a month at a time.
[[nodiscard]] inline std::string iso_text(long long seconds) {
  long long days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
  long long in_day = seconds - days * 86400;
  long long year = 1970;
  while (days < 0) days += leap(--year) ? 366 : 365;
  while (days >= (leap(year) ? 366 : 365)) days -= leap(year++) ? 366 : 365;
  int month = 1;
  while (days >= month_days(year, month)) days -= month_days(year, month++);
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%04lld-%02d-%02lldT%02lld:%02lld:%02lldZ", year, month,
                days + 1, in_day / 3600, in_day / 60 % 60, in_day % 60);
  return text.data();
}

}  // namespace fieldsift::model
