#include "mail_text.h"

#include <array>
#include <string_view>

namespace fieldsift::bench {
namespace {

using std::string_view_literals::operator""sv;

// A few words carry UTF-8 bytes, as real mail does; none holds CR, NUL or 0x1A.
// Word lists, packed as written.
// clang-format off
constexpr std::array kWords = {
    "the"sv, "of"sv, "and"sv, "to"sv, "a"sv, "in"sv, "is"sv, "that"sv, "for"sv, "it"sv,
    "as"sv, "with"sv, "was"sv, "on"sv, "be"sv, "at"sv, "by"sv, "this"sv, "we"sv, "you"sv,
    "from"sv, "or"sv, "have"sv, "not"sv, "are"sv, "but"sv, "will"sv, "can"sv, "all"sv,
    "meeting"sv, "report"sv, "figures"sv, "quarter"sv, "region"sv, "draft"sv, "review"sv,
    "budget"sv, "schedule"sv, "Friday"sv, "Monday"sv, "thanks"sv, "please"sv, "attached"sv,
    "version"sv, "server"sv, "release"sv, "patch"sv, "build"sv, "customer"sv, "invoice"sv,
    "delivery"sv, "office"sv, "holiday"sv, "lunch"sv, "project"sv, "deadline"sv, "update"sv,
    "question"sv, "answer"sv, "agreed"sv, "proposal"sv, "contract"sv, "north-east"sv,
    "department"sv, "minutes"sv, "agenda"sv, "call"sv, "tomorrow"sv, "morning"sv, "team"sv,
    "numbers"sv, "sales"sv, "travel"sv, "expenses"sv, "approval"sv, "problem"sv, "fixed"sv,
    "ticket"sv, "backup"sv, "network"sv, "password"sv, "account"sv, "printer"sv, "coffee"sv,
    "caf\xc3\xa9"sv, "Gr\xc3\xbc\xc3\x9f\x65"sv, "na\xc3\xafve"sv, "r\xc3\xa9sum\xc3\xa9"sv,
    "however"sv, "perhaps"sv, "certainly"sv, "regards"sv, "cheers"sv, "best"sv, "soon"sv,
    "again"sv, "later"sv, "first"sv, "second"sv, "final"sv, "new"sv, "old"sv, "other"sv};
constexpr std::array kFirstNames = {
    "Alice"sv, "Bob"sv, "Carol"sv, "Dave"sv, "Erin"sv, "Frank"sv, "Grace"sv, "Heidi"sv,
    "Ivan"sv, "Judy"sv, "Mallory"sv, "Niaj"sv, "Olivia"sv, "Peggy"sv, "Rupert"sv, "Sybil"sv,
    "Trent"sv, "Victor"sv, "Walter"sv, "Yolanda"sv};
constexpr std::array kLastNames = {
    "Smith"sv, "Jones"sv, "Brown"sv, "Taylor"sv, "Wilson"sv, "Evans"sv, "Thomas"sv,
    "Roberts"sv, "Walker"sv, "Wright"sv, "Green"sv, "Hall"sv, "Wood"sv, "Clarke"sv};
constexpr std::array kDomains = {
    "example.com"sv, "example.org"sv, "example.net"sv, "mail.example.com"sv,
    "corp.example.org"sv, "lists.example.net"sv, "research.example.edu"sv};
constexpr std::array kWeekdays = {"Mon"sv, "Tue"sv, "Wed"sv, "Thu"sv, "Fri"sv, "Sat"sv, "Sun"sv};
constexpr std::array kMonths = {"Jan"sv, "Feb"sv, "Mar"sv, "Apr"sv, "May"sv, "Jun"sv,
                                "Jul"sv, "Aug"sv, "Sep"sv, "Oct"sv, "Nov"sv, "Dec"sv};
constexpr std::array kZones = {"+0000"sv, "+0100"sv, "-0500"sv, "-0800"sv, "+0900"sv};
// clang-format on
constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kHexDigits = "0123456789ABCDEF";

template <std::size_t N>
std::string_view pick(Random& random, const std::array<std::string_view, N>& table) {
  return table[random.below(N)];
}

void append_number(std::size_t value, std::size_t width, char pad, std::string& out) {
  const std::string digits = std::to_string(value);
  if (digits.size() < width) out.append(width - digits.size(), pad);
  out += digits;
}

void append_time(const MailDate& date, std::string& out) {
  append_number(date.hour, 2, '0', out);
  out += ':';
  append_number(date.minute, 2, '0', out);
  out += ':';
  append_number(date.second, 2, '0', out);
}

}  // namespace

void append_words(Random& random, std::string& out, std::size_t length) {
  const std::size_t start = out.size();
  for (bool first = true; out.size() - start < length; first = false) {
    if (!first) out += ' ';
    std::string_view word = pick(random, kWords);
    if (first && random.chance(50)) {
      out += static_cast<char>(word[0] >= 'a' && word[0] <= 'z' ? word[0] - 'a' + 'A' : word[0]);
      word.remove_prefix(1);
    }
    out += word;
    if (random.chance(6)) out += random.chance(50) ? "," : ".";
  }
}

void append_address(Random& random, std::string& out) {
  for (char c : pick(random, kFirstNames)) out += static_cast<char>(c | 0x20);
  out += '.';
  for (char c : pick(random, kLastNames)) out += static_cast<char>(c | 0x20);
  out += '@';
  out += pick(random, kDomains);
}

void append_person(Random& random, std::string& out) {
  if (random.chance(25)) {
    append_address(random, out);
    return;
  }
  out += pick(random, kFirstNames);
  out += ' ';
  out += pick(random, kLastNames);
  out += " <";
  append_address(random, out);
  out += '>';
}

void append_recipients(Random& random, std::string_view field, std::string& out) {
  const std::size_t count = random.between(1, 4);
  const bool folded = random.chance(50);
  out += field;
  out += ' ';
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += folded ? ",\n " : ", ";
    append_person(random, out);
  }
  out += '\n';
}

void append_host(Random& random, std::string& out) {
  out += random.chance(50) ? "mx" : "smtp";
  out += std::to_string(random.between(1, 40));
  out += '.';
  out += pick(random, kDomains);
}

void append_ip(Random& random, std::string& out) {
  out += random.chance(50) ? "192.0.2." : "198.51.100.";
  out += std::to_string(random.between(1, 254));
}

void append_hex(Random& random, std::string& out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) out += kHexDigits[random.below(kHexDigits.size())];
}

void append_blob(Random& random, std::string& out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) out += kBase64[random.below(kBase64.size())];
}

MailDate random_date(Random& random) {
  return {random.below(kWeekdays.size()),
          random.below(kMonths.size()),
          random.between(1, 28),
          random.below(24),
          random.below(60),
          random.below(60),
          random.between(1998, 2024),
          random.below(kZones.size())};
}

void append_header_date(const MailDate& date, std::string& out) {
  out += kWeekdays[date.weekday];
  out += ", ";
  append_number(date.day, 1, ' ', out);
  out += ' ';
  out += kMonths[date.month];
  out += ' ';
  append_number(date.year, 4, '0', out);
  out += ' ';
  append_time(date, out);
  out += ' ';
  out += kZones[date.zone];
}

void append_separator_date(const MailDate& date, std::string& out) {
  out += kWeekdays[date.weekday];
  out += ' ';
  out += kMonths[date.month];
  out += ' ';
  append_number(date.day, 2, ' ', out);
  out += ' ';
  append_time(date, out);
  out += ' ';
  append_number(date.year, 4, '0', out);
}

}  // namespace fieldsift::bench
