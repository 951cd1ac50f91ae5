#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/byte_vector.h"
#include "bytes/bytes_of.h"
#include "bytes/decimal.h"
#include "support/value_case.h"
#include "support/value_model.h"
#include "values/address_list.h"
#include "values/civil_time.h"
#include "values/date_time.h"
#include "values/msg_ids.h"

namespace fieldsift {
namespace {

using testing::string_of_bytes;
using testing::ValueCase;

// tests/data/value_cases.txt, which the build puts in the program: the unit
// tests run under Wine and qemu too, where the source tree may not be.
constexpr std::string_view kCaseText =
#include "value_cases.inc"
    ;

std::vector<ValueCase> cases_of(std::string_view kind) {
  std::vector<ValueCase> cases;
  for (ValueCase& c : testing::value_cases(kCaseText))
    if (c.kind == kind) cases.push_back(std::move(c));
  return cases;
}

class ValueCasesTest : public ::testing::TestWithParam<std::string_view> {};

// Each case's answers, its intended differences from Python included: the
// note is for compare_values.py, which checks that Python differs.
TEST_P(ValueCasesTest, AnswersAsExpected) {
  for (const ValueCase& c : cases_of(GetParam()))
    EXPECT_EQ(testing::answers(c), c.expected) << c.line;
}

// The cases that make each parser's table, so that a file cut short or
// misread fails here rather than passing with fewer cases.
TEST_P(ValueCasesTest, EnoughCases) {
  const std::size_t at_least = GetParam() == "date" ? 40 : GetParam() == "addr" ? 30 : 5;
  EXPECT_GE(cases_of(GetParam()).size(), at_least);
}

// The plain model of the views (support/value_model.h), which the row
// model, the property tests and the fuzz target trust, gives every case's
// answer too, in the shape testing::answers gives the parsers'.
std::vector<std::string> model_answers(const ValueCase& c) {
  const std::string none(testing::kNone);
  const auto iso = [&none](std::optional<long long> seconds) {
    return seconds ? model::iso_text(*seconds) : none;
  };
  if (c.kind == "date") return {iso(model::date_seconds(c.values[0]))};
  if (c.kind == "epoch") return {iso(std::stoll(c.values[0]))};
  if (c.kind == "parent") return {model::parent_id(c.values[0], c.values[1]).value_or(none)};
  if (c.kind == "ids") {
    std::vector<std::string> ids = model::msg_ids(c.values[0]);
    return ids.empty() ? std::vector{none} : ids;
  }
  const std::vector<model::ListedMailbox> found = model::mailboxes(c.values[0]);
  std::vector<std::string> out = {found.empty() || found[0].name.empty() ? none : found[0].name};
  for (const model::ListedMailbox& m : found) out.push_back(m.addr_spec);
  return out;
}

TEST_P(ValueCasesTest, TheModelAnswersAsExpected) {
  for (const ValueCase& c : cases_of(GetParam())) EXPECT_EQ(model_answers(c), c.expected) << c.line;
}

INSTANTIATE_TEST_SUITE_P(EachKind, ValueCasesTest,
                         ::testing::Values("date", "epoch", "addr", "ids", "parent"));

TEST(EpochValueTest, SecondsWrittenInDecimal) {
  for (const ValueCase& c : cases_of("epoch")) {
    EpochSecondsText text;
    EXPECT_EQ(format_epoch_seconds(std::stoll(c.values[0]), text), c.values[0]);
  }
  EpochSecondsText text;
  EXPECT_EQ(format_epoch_seconds(std::numeric_limits<std::int64_t>::min(), text),
            "-9223372036854775808");
}

// Two digits at a time: every width, each side of each power of ten.
TEST(EpochValueTest, DecimalOfEveryWidth) {
  std::vector<std::uint64_t> numbers = {0, std::numeric_limits<std::uint64_t>::max()};
  for (std::uint64_t ten = 1; ten <= std::numeric_limits<std::uint64_t>::max() / 10; ten *= 10) {
    for (const std::uint64_t n : {ten - 1, ten, ten + 1, ten * 10 - 1}) numbers.push_back(n);
  }
  for (const std::uint64_t n : numbers) {
    DecimalText text;
    EXPECT_EQ(decimal(n, text), std::to_string(n));
    if (n > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) continue;
    const auto signed_n = static_cast<std::int64_t>(n);
    EXPECT_EQ(decimal(signed_n, text), std::to_string(signed_n));
    EXPECT_EQ(decimal(-signed_n, text), std::to_string(-signed_n));
  }
}

TEST(EpochValueTest, IsoOnlyForFourDigitYears) {
  constexpr std::int64_t kYear0 = -62167219200;      // 0000-01-01T00:00:00Z
  constexpr std::int64_t kYear10000 = 253402300800;  // 10000-01-01T00:00:00Z
  IsoDateTimeText text;
  EXPECT_EQ(format_iso_date_time(kYear0, text), "0000-01-01T00:00:00Z");
  for (const std::int64_t seconds :
       {kYear0 - 1, kYear10000, std::numeric_limits<std::int64_t>::min(),
        std::numeric_limits<std::int64_t>::max()})
    EXPECT_EQ(format_iso_date_time(seconds, text), "") << seconds;
}

static_assert(days_from_civil({1970, 1, 1}) == 0);
static_assert(days_from_civil({2000, 3, 1}) == 11017);
static_assert(days_from_civil({1969, 12, 31}) == -1);
static_assert(civil_from_days(11016).month == 2 && civil_from_days(11016).day == 29);

// Every day from 1900 to 9999, counted by stepping a date a day at a time:
// a sample of them, and every day of the years where the leap rule turns,
// read back as the seconds that count says and written as the date stepped.
TEST(DateTimeValueTest, DaysCountedOneByOne) {
  constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  constexpr int kDaysPerMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::int64_t day = -25567;  // 1900-01-01 from 1970-01-01
  for (int year = 1900; year <= 9999; ++year) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const bool whole_year = year % 100 == 0 || year % 100 == 1 || year == 1970;
    for (int month = 1; month <= 12; ++month) {
      const int days = kDaysPerMonth[month - 1] + (month == 2 && leap ? 1 : 0);
      for (int d = 1; d <= days; ++d, ++day) {
        if (!whole_year && day % 97 != 0) continue;
        char value[40];
        std::snprintf(value, sizeof value, "%d %s %d 23:59:58 +0001", d, kMonths[month - 1].data(),
                      year);
        const std::int64_t expected = day * 86400 + 86398 - 60;
        ASSERT_EQ(parse_date_time(bytes_of(value)), expected) << value;
        char iso[40];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT00:00:00Z", year, month, d);
        IsoDateTimeText text;
        ASSERT_EQ(format_iso_date_time(day * 86400, text), iso);
      }
    }
  }
}

// Values of the bytes that steer the parsers, at random: every reader ends,
// every part it gives lies in the value, an addr_spec holds an '@' and reads
// back as itself, and an id holds no white space or bracket.
TEST(ValueJunkTest, PartsLieInTheValue) {
  constexpr std::string_view kAlphabet = "<>()\"\\,;:@.[] \taZ9";
  std::mt19937 random(20261207);
  std::uniform_int_distribution<std::size_t> length(0, 24);
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  for (int round = 0; round < 20000; ++round) {
    std::string value(length(random), ' ');
    for (char& c : value) c = kAlphabet[pick(random)];
    const auto bytes = bytes_of(value);
    const auto inside = [&bytes](std::span<const unsigned char> part) {
      return part.empty() || (part.data() >= bytes.data() &&
                              part.data() + part.size() <= bytes.data() + bytes.size());
    };
    (void)parse_date_time(bytes);
    MailboxReader mailboxes(bytes);
    for (std::size_t n = 0; const std::optional<Mailbox> m = mailboxes.next(); ++n) {
      ASSERT_LE(n, value.size()) << value;
      ASSERT_TRUE(inside(m->local_part) && inside(m->domain) && inside(m->commented)) << value;
      ByteVector address;
      ByteVector name;
      ASSERT_TRUE(append_addr_spec(*m, address) && append_display_name(*m, name));
      ASSERT_NE(string_of_bytes(address.bytes()).find('@'), std::string::npos) << value;
      const std::optional<Mailbox> again = MailboxReader(address.bytes()).next();
      ByteVector again_address;
      ASSERT_TRUE(again && append_addr_spec(*again, again_address)) << value;
      ASSERT_EQ(string_of_bytes(again_address.bytes()), string_of_bytes(address.bytes())) << value;
    }
    MsgIdReader ids(bytes);
    for (std::size_t n = 0; const std::optional<std::span<const unsigned char>> id = ids.next();
         ++n) {
      ASSERT_LE(n, value.size()) << value;
      ASSERT_TRUE(inside(*id) && !id->empty()) << value;
      ASSERT_EQ(string_of_bytes(*id).find_first_of(" \t<>"), std::string::npos) << value;
    }
  }
}

// A value made of pieces picked at random, then perhaps one byte of it
// changed, dropped or doubled: values in and just off the forms the parsers
// read by a short way, held to the model, which knows no short way.
std::string one_off(std::mt19937& random, std::string value, std::string_view bytes) {
  std::uniform_int_distribution<std::size_t> at(0, value.size() - 1);
  std::uniform_int_distribution<std::size_t> byte(0, bytes.size() - 1);
  const std::size_t i = at(random);
  switch (random() % 4) {
    case 0:
      value[i] = bytes[byte(random)];
      break;
    case 1:
      value.erase(i, 1);
      break;
    case 2:
      value.insert(i, 1, value[i]);
      break;
    default:
      break;  // as it is
  }
  return value;
}

template <std::size_t N>
std::string_view any_of(std::mt19937& random, const std::array<std::string_view, N>& names) {
  return names[random() % N];
}

TEST(ValueModelTest, TheCommonDateFormAndBesideIt) {
  constexpr std::array<std::string_view, 4> kDays = {"Wed, ", "sat, ", "Xyz, ", ""};
  constexpr std::array<std::string_view, 4> kMonths = {"Jan", "FEB", "apr", "Jux"};
  constexpr std::array<std::string_view, 4> kZones = {"+0000", "-0500", "+2359", "-2460"};
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> day(0, 32);
  std::uniform_int_distribution<int> year(1890, 2030);
  std::uniform_int_distribution<int> sixty(0, 61);
  for (int round = 0; round < 40000; ++round) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%s%d %s %d %02d:%02d:%02d %s",
                  any_of(random, kDays).data(), day(random), any_of(random, kMonths).data(),
                  year(random), sixty(random) % 25, sixty(random), sixty(random),
                  any_of(random, kZones).data());
    const std::string value = one_off(random, text.data(), "0123456789 :+-,aZ(");
    const std::optional<long long> expected = model::date_seconds(value);
    const std::optional<std::int64_t> seconds = parse_date_time(bytes_of(value));
    ASSERT_EQ(seconds.value_or(-1), expected.value_or(-1)) << value;
    ASSERT_EQ(seconds.has_value(), expected.has_value()) << value;
  }
}

TEST(ValueModelTest, ThePlainMailboxFormsAndBesideThem) {
  constexpr std::array<std::string_view, 4> kNames = {"", "Dave ", "Dave Green ", "D. \"G\" "};
  constexpr std::array<std::string_view, 3> kLocals = {"walter.wood", "a", "x-y+z"};
  constexpr std::array<std::string_view, 3> kDomains = {"Example.COM", "b", "lists.ex.org"};
  std::mt19937 random(20261210);
  for (int round = 0; round < 40000; ++round) {
    const std::string_view name = any_of(random, kNames);
    const std::string plain =
        std::string(any_of(random, kLocals)) + "@" + std::string(any_of(random, kDomains));
    const std::string list =
        name.empty() && random() % 2 == 0 ? plain : std::string(name) + "<" + plain + ">";
    const std::string value = one_off(random, list, "<>@. ,\"()a:;");
    std::vector<std::string> expected;
    for (const model::ListedMailbox& m : model::mailboxes(value))
      expected.push_back(m.addr_spec + "|" + m.name);
    std::vector<std::string> read;
    MailboxReader mailboxes(bytes_of(value));
    for (std::optional<Mailbox> m = mailboxes.next(); m; m = mailboxes.next()) {
      ByteVector address;
      ByteVector display;
      ASSERT_TRUE(append_addr_spec(*m, address) && append_display_name(*m, display));
      read.push_back(string_of_bytes(address.bytes()) + "|" + string_of_bytes(display.bytes()));
    }
    ASSERT_EQ(read, expected) << value;
  }
}

}  // namespace
}  // namespace fieldsift
