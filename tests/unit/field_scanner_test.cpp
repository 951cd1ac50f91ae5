#include "rows/field_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "rows/column_list.h"
#include "support/row_model.h"
#include "support/scripted_channel.h"

namespace fieldsift {
namespace {

using testing::string_of;
using Values = std::vector<std::optional<std::string>>;

struct ListCase {
  std::string argument;
  std::vector<std::string> keys;  // none when refused
  std::string error;              // as the program would report it
};

std::string reported(const ColumnListResult& r) {
  if (r.error == ColumnListError::None) return "";
  std::string text(describe(r.error));
  return r.culprit.empty() ? text : text + ": " + std::string(r.culprit);
}

std::vector<std::string> keys_of(const ColumnListResult& r) {
  std::vector<std::string> keys;
  for (const Column& c : r.list.columns()) keys.emplace_back(c.key);
  return keys;
}

TEST(ColumnListTest, ColumnsAsWrittenOrWhyNot) {
  const std::vector<ListCase> cases = {
      {"Subject", {"Subject"}, ""},
      {"subject:,Message-ID:,date", {"subject", "Message-ID", "date"}, ""},
      {" subject, date ,\tto\t:,cc :", {"subject", "date", "to", "cc"}, ""},  // blanks around go
      {"date:iso,date:EPOCH, from : addr,from:name,message-id:id,:size, : parent",
       {"date:iso", "date:EPOCH", "from : addr", "from:name", "message-id:id", ":size", ": parent"},
       ""},
      {"date,date:iso", {"date", "date:iso"}, ""},
      {"y z", {"y z"}, ""},  // a field's views are columns of their own
      {"a:b", {}, "unknown view: a:b"},
      {"x::", {}, "unknown view: x::"},
      {"date:iso:", {}, "unknown view: date:iso:"},
      {":iso", {}, "unknown view: :iso"},
      {"subject,:bogus", {}, "unknown view: :bogus"},
      {"date:iso,DATE:Iso", {}, "field named twice: DATE:Iso"},
      {":size,:SIZE", {}, "field named twice: :SIZE"},
      {"a, ,b", {}, "empty field name"},
      {"a,\t: ", {}, "empty field name"},
      {" :iso", {}, "unknown view: :iso"},
      {"\xc3\xa9,\xc3\x89", {"\xc3\xa9", "\xc3\x89"}, ""},  // only ASCII letters have a case
      {"", {}, "no field name given"},
      {"a,,b", {}, "empty field name"},
      {",", {}, "empty field name"},
      {"a,", {}, "empty field name"},
      {":", {}, "empty field name"},
      {"Subject,date,SUBJECT:", {}, "field named twice: SUBJECT"},
      // As "-f=subject" gives it: a name no field has, so a list that never matches.
      {"=subject", {}, "field name begins with \"=\": =subject"},
      {"subject, =date:,=", {}, "field name begins with \"=\": =date"},
      {"subject,=,subject", {}, "field name begins with \"=\": ="},
      {"a=b,c=", {"a=b", "c="}, ""},  // an "=" further in is a byte of the name
      // Both are U+FFFD as JSON keys; so is U+FFFD itself.
      {"\xff,\xfe", {}, "field named twice: \xfe"},
      {"\xef\xbf\xbd,\xff", {}, "field named twice: \xff"},
  };
  for (const ListCase& c : cases) {
    const model::Columns m = model::columns(c.argument);
    EXPECT_EQ(m.keys, c.keys) << "the model, " << c.argument;
    EXPECT_EQ(m.error, c.error) << "the model, " << c.argument;
    const ColumnListResult r = parse_column_list(c.argument);
    EXPECT_EQ(reported(r), c.error) << c.argument;
    EXPECT_EQ(keys_of(r), c.keys) << c.argument;
  }
}

// The fields a list's columns read, each once, and those of :parent last.
TEST(ColumnListTest, EachFieldOnce) {
  const ColumnListResult r = parse_column_list("date:iso,Subject,DATE,:parent,references:id");
  std::vector<std::string> fields(r.list.fields().begin(), r.list.fields().end());
  EXPECT_EQ(fields, (std::vector<std::string>{"date", "Subject", "references", "In-Reply-To"}));
  std::vector<std::size_t> read;
  for (const Column& c : r.list.columns()) read.push_back(c.field);
  EXPECT_EQ(read, (std::vector<std::size_t>{0, 1, 0, 2, 2}));
  EXPECT_EQ(r.list.columns()[3].second_field, 3U);
}

// Lists made of the bytes that the rules look at (commas, colons, blanks,
// letters of either case, view names, bytes that are not UTF-8) agree with
// the model: the columns, their order, and the refusal and the column it
// gives.
TEST(ColumnListPropertyTest, AnyListAgreesWithTheModel) {
  static const std::vector<std::string> kPieces = {
      ",",        ":",   " ",  "\t",  "a", "A", "b", "=", "\xff", "\xfe", "\xef\xbf\xbd",
      "\xc3\xa9", "iso", "Id", "size"};
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  std::uniform_int_distribution<std::size_t> length(0, 12);
  for (int round = 0; round < 20000; ++round) {
    std::string argument;
    for (std::size_t n = length(rng); n > 0; --n) argument += kPieces[pick(rng)];
    const model::Columns m = model::columns(argument);
    const ColumnListResult r = parse_column_list(argument);
    ASSERT_EQ(keys_of(r), m.keys) << "list: " << argument;
    ASSERT_EQ(reported(r), m.error) << "list: " << argument;
  }
}

// The values found in a header fed in pieces of at most piece bytes, or cut
// once at cut. Each piece is fed from a buffer that, as a reader's, holds
// other bytes once it is fed, but for the last, which stays until the
// values are read; unless keep, which holds them past the last piece too.
Values scanned(FieldScanner& scanner, std::string_view header, std::size_t piece,
               std::size_t cut = 0, bool keep = false) {
  scanner.begin();
  const std::span<const unsigned char> bytes = bytes_of(header);
  std::vector<std::span<const unsigned char>> pieces;
  if (cut > 0) {
    pieces = {bytes.first(cut), bytes.subspan(cut)};
  } else {
    for (std::size_t at = 0; at < bytes.size(); at += piece)
      pieces.push_back(bytes.subspan(at, std::min(piece, bytes.size() - at)));
  }
  std::vector<unsigned char> buffer;
  for (const std::span<const unsigned char> p : pieces) {
    std::ranges::fill(buffer, '#');
    buffer.assign(p.begin(), p.end());
    scanner.feed(buffer);
  }
  scanner.finish(keep);
  if (keep) std::ranges::fill(buffer, '#');
  EXPECT_FALSE(scanner.failed());
  Values values;
  for (std::size_t i = 0; i < scanner.size(); ++i) {
    const FieldValue f = scanner.field(i);
    values.push_back(f.present ? std::optional(string_of(f.value)) : std::nullopt);
  }
  return values;
}

// The same where the scanner takes the header out of bytes that go on with
// a body whose lines name fields too, as the message rule hands them over:
// whole, or cut once before its empty line, the first piece's buffer then
// holding other bytes. It must answer where that line starts, and take no
// line after it.
Values taken(FieldScanner& scanner, const std::string& header, std::size_t cut) {
  scanner.begin();
  const std::string bytes = header + "Subject: b\nDate: b\nx: b\nfrom a: b\nF: b\n\n";
  const std::size_t n = header.size();
  const std::size_t empty = n >= 3 && header.compare(n - 3, 2, "\n\r") == 0 ? n - 2 : n - 1;
  std::vector<unsigned char> first(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
  std::size_t answer = cut;
  if (cut > 0) {
    EXPECT_EQ(scanner.take_header(first), cut) << "the first piece holds no empty line";
    std::ranges::fill(first, '#');
  }
  answer += scanner.take_header(bytes_of(bytes).subspan(cut));
  EXPECT_EQ(answer, empty) << "where the empty line starts";
  scanner.finish();
  Values values;
  for (std::size_t i = 0; i < scanner.size(); ++i) {
    const FieldValue f = scanner.field(i);
    values.push_back(f.present ? std::optional(string_of(f.value)) : std::nullopt);
  }
  return values;
}

struct ScanCase {
  const char* what;
  std::string names;
  std::string header;
  Values values;
};

const std::vector<ScanCase> kScanCases = {
    {"folded with LF", "subject", "Subject: a\n b\n\tc \n\n", {"a b\tc"}},
    {"folded with CR LF", "subject", "Subject: a\r\n b\r\n\r\n", {"a b"}},
    {"white space before the colon", "subject", "Subject \t: x\n\n", {"x"}},
    {"the rest of the line after the first colon", "subject", "SUBJECT:a: b\n\n", {"a: b"}},
    {"the first occurrence counts", "subject", "Subject: 1\nSubject: 2\n\n", {"1"}},
    {"in another order than they stand", "date,subject", "Subject: s\nDate: d\n\n", {"d", "s"}},
    {"absent and empty differ", "subject,date", "Subject:\n\n", {"", std::nullopt}},
    {"white space across a fold is leading", "subject", "Subject: \n \t x \n \n\n", {"x"}},
    {"white space alone is empty", "subject", "Subject: \n \t\n\n", {""}},
    // A TAB pads a value as a space does, at the end of its last line too.
    {"a TAB before the line end", "subject,date", "Subject: x\t\nDate: d\t\r\n\n", {"x", "d"}},
    {"SP and TAB mixed before the line end", "subject", "Subject: x \t \t\n\n", {"x"}},
    {"a folded value's last line ends in TAB", "subject", "Subject: a\t\n b\t\n\n", {"a\t b"}},
    {"a folded value's last line ends in SP and TAB",
     "subject",
     "Subject: a\r\n\tb\t \t\r\n\r\n",
     {"a\tb"}},
    {"a name that only begins like it",
     "subject",
     "Subject-X: n\nX-Subject: n\n\n",
     {std::nullopt}},
    {"a name it only begins like", "subject", "Subjec: n\n\n", {std::nullopt}},
    {"blanks after a name go", "x ", "x : 2\n\n", {"2"}},
    {"a line without a colon ends the value", "subject", "Subject: a\nno colon\n b\n\n", {"a"}},
    {"other fields' lines are passed over", "subject", "X: 1\n Subject: n\nSubject: s\n\n", {"s"}},
    {"a separator line is no field",
     "from",
     "From :x Sat Jan  1 00:00:00 2000\nFrom: f\n\n",
     {"f"}},
    {"nor is a separator line's white space a name's", "from a", "From a: b\n\n", {std::nullopt}},
    {"a first line that is no separator is a field", "from", "From: f\n\n", {"f"}},
    {"a first line shorter than a separator", "f", "F:\n\n", {""}},
    {"a From line further down is no separator", "from x", "X: 1\nFrom x: y\n\n", {"y"}},
    {"a CR not before a LF is the value's",
     "subject,date",
     "Subject: a\rb\r\r\nDate: \r\r\n\n",
     {"a\rb\r", "\r"}},
    {"8-bit bytes and NUL are bytes like any other",
     "subject",
     std::string("Subject: caf\xe9\0!\n\n", 17),
     {std::string("caf\xe9\0!", 6)}},
    {"a header closed at the end of input", "subject", "Subject: x\n\n", {"x"}},
    {"a value of one line beside one cut with its fold",
     "subject,to,date",
     "Subject: s\nTo: a,\n b\nDate: d\r\n\r\n",
     {"s", "a, b", "d"}},
    {"a name that begins another", "x,x-y", "x-y: 2\nx\t: 1\n\n", {"1", "2"}},
};

TEST(FieldScannerTest, FirstOccurrenceUnfoldedAndTrimmed) {
  for (const ScanCase& c : kScanCases) {
    const model::Columns names = model::columns(c.names);
    EXPECT_EQ(model::field_values(c.header, names.names), c.values) << "the model, " << c.what;
    const ColumnListResult list = parse_column_list(c.names);
    FieldScanner scanner(list.list.fields());
    EXPECT_EQ(scanned(scanner, c.header, c.header.size()), c.values) << c.what;
    EXPECT_EQ(scanned(scanner, c.header, c.header.size(), 0, true), c.values) << c.what;
    EXPECT_EQ(scanned(scanner, c.header, 1), c.values) << c.what << ", a byte at a time";
    for (std::size_t cut = 1; cut < c.header.size(); ++cut)
      EXPECT_EQ(scanned(scanner, c.header, 0, cut), c.values) << c.what << ", cut at " << cut;
    const std::size_t last_line = c.header.find_last_of('\n', c.header.size() - 2);
    for (std::size_t cut = 0; cut <= last_line; ++cut)
      EXPECT_EQ(taken(scanner, c.header, cut), c.values) << c.what << ", taken, cut at " << cut;
  }
}

// Under --decode a fold's SP and TAB are one SP, wherever the bytes are cut;
// every case of the table above agrees with the model so too.
TEST(FieldScannerTest, FoldsAsOneSpaceWhenAsked) {
  const std::vector<ScanCase> cases = {
      {"a TAB, spaces, both", "subject", "Subject: a\n\tb\n   c\n \t d\n\n", {"a b c d"}},
      {"white space before the line end is kept",
       "subject",
       "Subject: a \n\tb\t\r\n\tc\n\n",
       {"a  b\t c"}},
      {"a fold of white space alone",
       "subject,to",
       "Subject: a\n \t\n b\nTo:\n\t\tx\n\n",
       {"a  b", "x"}},
      {"a CR ends the run", "subject", "Subject: a\n \r b\n\n", {"a \r b"}},
      {"only the value's folds", "subject", "X: 1\n\t2\nSubject:\t\ts\n\n", {"s"}},
  };
  std::vector<ScanCase> all = cases;
  for (const ScanCase& c : cases) {
    const model::Columns names = model::columns(c.names);
    EXPECT_EQ(model::field_values(c.header, names.names, true), c.values)
        << "the model, " << c.what;
  }
  for (const ScanCase& c : kScanCases) all.push_back(c);
  for (ScanCase& c : all) {
    const model::Columns names = model::columns(c.names);
    c.values = model::field_values(c.header, names.names, true);
    const ColumnListResult list = parse_column_list(c.names);
    FieldScanner scanner(list.list.fields(), true);
    EXPECT_EQ(scanned(scanner, c.header, 1), c.values) << c.what << ", a byte at a time";
    for (std::size_t cut = 1; cut < c.header.size(); ++cut)
      EXPECT_EQ(scanned(scanner, c.header, 0, cut), c.values) << c.what << ", cut at " << cut;
  }
}

// Names of every length about the words they are compared in (8 and 16
// bytes), a few beginning alike, and lines that name them in other cases, or
// begin like them, with blanks before the colon or bytes after them: the
// scanner finds what the model finds, wherever the header is cut.
TEST(FieldScannerTest, NamesOfAnyLengthAgreeWithTheModel) {
  constexpr std::string_view kLetters = "aAbB-9";
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<std::size_t> length(1, 19);
  std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
  const auto random_name = [&] {
    std::string name(length(rng), 'a');
    for (char& c : name) c = kLetters[letter(rng)];
    return name;
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> names;
    for (std::size_t n = 1 + rng() % 4; names.size() < n;) names.push_back(random_name());
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ",") + n;
    const model::Columns m = model::columns(list);
    if (!m.error.empty()) continue;  // a name given twice
    std::string header;
    for (int line = 0; line < 6; ++line) {
      std::string name = rng() % 3 == 0 ? random_name() : names[rng() % names.size()];
      if (rng() % 4 == 0) name.resize(name.size() - 1);
      if (rng() % 4 == 0) name += kLetters[letter(rng)];
      header += name + (rng() % 5 == 0 ? " \t:" : ":") + " v" + std::to_string(line) + "\n";
    }
    header += "\n";
    const Values expected = model::field_values(header, m.names);
    const ColumnListResult parsed = parse_column_list(list);
    FieldScanner scanner(parsed.list.fields());
    ASSERT_EQ(scanned(scanner, header, header.size()), expected) << list << "\n" << header;
    const std::size_t cut = 1 + rng() % (header.size() - 1);
    ASSERT_EQ(scanned(scanner, header, 0, cut), expected) << list << "\n" << header << cut;
  }
}

TEST(FieldScannerTest, NamesLongerThanWhatIsKeptAcrossACut) {
  // The name's bytes are kept only up to the longest name: beyond it, only
  // white space may follow, wherever the bytes are cut.
  const ColumnListResult list = parse_column_list("long-field-name,to");
  FieldScanner scanner(list.list.fields());
  const std::string header =
      "long-field-nameX: no\nlong-field-name          : yes\nTo" + std::string(300, ' ') + ":t\n\n";
  const Values expected = {"yes", "t"};
  for (const std::size_t piece : std::initializer_list<std::size_t>{1, 2, 3, 7, 16})
    EXPECT_EQ(scanned(scanner, header, piece), expected);
}

// The first bytes of a few names as the scan kernels take them: the matches
// a block is tested against, the distinct ones first, stand for the members,
// no more and no fewer, and share a mask only where every one has it.
TEST(FieldNamesTest, FirstBytesAsMatchesAreTheMembers) {
  constexpr std::string_view kFirst = "aAbBdDmM9-x";
  std::mt19937 rng(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> names;
    for (std::size_t i = 0, count = 1 + rng() % 6; i < count; ++i)
      names.push_back(kFirst[rng() % kFirst.size()] + std::to_string(i));
    const std::vector<std::string_view> given(names.begin(), names.end());
    const FieldNames fields(given);
    const ByteSet& set = fields.first_bytes();
    std::string folded;
    for (const std::string& n : names) folded += static_cast<char>(fold_case(n[0]));
    std::ranges::sort(folded);
    folded.erase(std::unique(folded.begin(), folded.end()), folded.end());
    ASSERT_EQ(set.by_matches, folded.size() <= set.matches.size()) << folded;
    if (!set.by_matches) continue;
    ASSERT_EQ(set.distinct, folded.size());
    const std::span<const ByteMatch> distinct = std::span(set.matches).first(set.distinct);
    for (unsigned b = 0; b < 256; ++b) {
      const auto c = static_cast<unsigned char>(b);
      const bool matched = std::ranges::any_of(
          distinct, [c](const ByteMatch& m) { return (c | m.mask) == m.value; });
      ASSERT_EQ(matched, set.members[c]) << folded << " byte " << b;
    }
    for (const ByteMatch& m : std::span(set.matches).subspan(set.distinct))
      EXPECT_TRUE(std::ranges::any_of(
          distinct, [&m](const ByteMatch& d) { return d.value == m.value && d.mask == m.mask; }));
    EXPECT_EQ(set.one_mask, std::ranges::all_of(set.matches, [&](const ByteMatch& m) {
                return m.mask == set.matches[0].mask;
              }));
  }
}

}  // namespace
}  // namespace fieldsift
