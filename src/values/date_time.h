// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "bytes/decimal.h"

namespace fieldsift {

// The instant a date-time names, in seconds since 1970-01-01T00:00:00Z
// (negative before it); none for a value that names none. A value holding a
// ';' (a Received field) is read after its last one.
//
// It takes RFC 5322's date-time and its obsolete forms (section 4.3), and
// the asctime form (`Mon Jan  1 00:00:00 2001`, a zone after or before the
// year, or none):
// - a day of week or none, a day of one or two digits, month names in any
//   case, seconds or none, CFWS between any two tokens;
// - a year of four digits from 1900 on; of two, 2000 added below 50 and
//   1900 from 50 on; of three, 1900 added;
// - a zone of +hhmm or -hhmm (hh below 24, mm below 60), UT, GMT and the US
//   zones; any other name of letters (military letters, CEST) or no zone at
//   all is taken as -0000, which says the time is UTC and the zone unknown;
// - what follows a zone, set off by white space or a comment, is passed over.
// A date that cannot be (31 April, 29 February of a common year, 24:00, a
// minute or second of 60) names nothing, and so does a day of week that is
// no day name; one that is another day than the date's is passed over.
[[nodiscard]] std::optional<std::int64_t> parse_date_time(std::span<const unsigned char> value);

// YYYY-MM-DDTHH:MM:SSZ.
inline constexpr std::size_t kIsoDateTimeSize = 20;
using IsoDateTimeText = std::array<char, kIsoDateTimeSize>;

// The instant as YYYY-MM-DDTHH:MM:SSZ in out; empty, with out as it was,
// outside the years 0000 to 9999 (never for an instant parse_date_time gave).
[[nodiscard]] std::string_view format_iso_date_time(std::int64_t seconds, IsoDateTimeText& out);

// Room for any int64's decimal.
using EpochSecondsText = DecimalText;

// The seconds in decimal, in out.
[[nodiscard]] std::string_view format_epoch_seconds(std::int64_t seconds, EpochSecondsText& out);

}  // namespace fieldsift
