#include "filter/header_selector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytes/bytes_of.h"
#include "support/scripted_channel.h"

namespace fieldsift {
namespace {

using testing::bytes_of;

// Feeds the lines in order and answers those the selector wants written.
std::vector<std::string> select(std::string_view name, const std::vector<std::string>& lines) {
  HeaderSelector selector(name);
  std::vector<std::string> written;
  for (const std::string& line : lines) {
    if (selector.feed(bytes_of(line))) written.push_back(line);
  }
  return written;
}

struct ClassifyCase {
  std::string line;
  LineKind kind;
};

TEST(ClassifyTest, KindsOfLines) {
  const std::vector<ClassifyCase> cases = {
      {"", LineKind::Blank},
      {std::string("\0abc", 4), LineKind::Blank},
      {".", LineKind::Dot},
      {std::string(".\0x", 3), LineKind::Dot},
      {". ", LineKind::FieldStart},
      {"..", LineKind::FieldStart},
      {" x", LineKind::Continuation},
      {"\tx", LineKind::Continuation},
      {"\v", LineKind::Continuation},
      {"\f", LineKind::Continuation},
      {"\r", LineKind::Continuation},
      {"   ", LineKind::Continuation},
      {"\x80 x", LineKind::FieldStart},
      {"\xa0", LineKind::FieldStart},
      {"\x1f", LineKind::FieldStart},
      {"From: x", LineKind::FieldStart},
  };
  for (const ClassifyCase& c : cases) {
    EXPECT_EQ(classify(bytes_of(c.line)), c.kind) << "line: " << c.line;
  }
}

struct SelectCase {
  const char* what;
  std::string name;
  std::vector<std::string> lines;
  std::vector<std::string> written;
};

TEST(HeaderSelectorTest, SelectsFieldsAndTheirContinuations) {
  const std::vector<SelectCase> cases = {
      {"worked example",
       "Hoge:",
       {"From: x", "Hoge: one", " two", "Other: three", " four", "hoge:five", ".", " six", "",
        " seven", "Hoge: eight"},
       {"Hoge: one", " two", "hoge:five", ".", " six", "Hoge: eight"}},
      {"name compared without case, as a prefix at the very start",
       "Subject:",
       {" Subject: hello", "Subject: hello", "SUBJECT:hello", "subject:", "Subject : hello",
        "Subj"},
       {"Subject: hello", "SUBJECT:hello", "subject:"}},
      {"a name without a colon is a plain prefix",
       "Subject",
       {"Subject: a", "Subject-Extra: b", "Subjects"},
       {"Subject: a", "Subject-Extra: b", "Subjects"}},
      {"folded field",
       "Subject:",
       {"Subject: a", "\tb", "  c", "To: d", " e"},
       {"Subject: a", "\tb", "  c"}},
      {"continuations with nothing to continue",
       "Subject:",
       {" at start", "To: x", " after other", "Subject: y", "", " after blank"},
       {"Subject: y"}},
      {"white-space line continues, does not end the field",
       "A:",
       {"A: 1", "   ", "\t", " more"},
       {"A: 1", "   ", "\t", " more"}},
      {"dot follows the state",
       "A:",
       {".", "A: 1", ".", " x", "B: 2", ".", " y"},
       {"A: 1", ".", " x"}},
      {"dot-like lines are field starts",
       "A:",
       {"A: 1", ". ", " x", "..", "A: 2"},
       {"A: 1", "A: 2"}},
      {"a body line that starts with the name",
       "A:",
       {"A: 1", "", "body", "a: in body", " more"},
       {"A: 1", "a: in body", " more"}},
      {"empty name selects every field start, never a blank",
       "",
       {" lead", "x", " y", ".", "", ".", " z", "w"},
       {"x", " y", ".", "w"}},
      {"bytes above 0x7f compared unchanged",
       "\xc4\x80:",
       {"\xc4\x80: yes", "\xe4\x80: no", "\xc4\xa0: no"},
       {"\xc4\x80: yes"}},
      {"only ASCII letters fold", "[:", {"{: no", "[: yes"}, {"[: yes"}},
      // The bytes beside A-Z and a-z: @ [ ` {.
      {"letters fold at both ends of their ranges",
       "@az[:",
       {"@AZ[:", "`az[:", "@az{:", "@aZ[: x"},
       {"@AZ[:", "@aZ[: x"}},
      // The name is folded too: an A or Z in it left as it is would match nothing.
      {"letters of the name fold at both ends of the range",
       "@AZ[:",
       {"@az[:", "@AZ[: x", "`az[:", "@az{:"},
       {"@az[:", "@AZ[: x"}},
      {"the bytes beside the letters do not fold", "`{:", {"@[:", "`{:"}, {"`{:"}},
      {"NUL ends the text",
       "A:",
       {std::string("A:\0zz", 5), std::string("A\0:", 3), std::string("\0A:", 3), " x"},
       {std::string("A:\0zz", 5)}},
      {"a lone CR is a continuation", "A:", {"A: 1", "\r", "B: 2", "\r"}, {"A: 1", "\r"}},
      {"a line shorter than the name fails", "Subject:", {"Subject", "Subject:"}, {"Subject:"}},
  };
  for (const SelectCase& c : cases) {
    EXPECT_EQ(select(c.name, c.lines), c.written) << c.what;
  }
}

TEST(HeaderSelectorTest, NameLongerThanAnyBufferIsComparedWhole) {
  const std::string name(100000, 'x');
  std::string upper(100000, 'X');
  std::string off_by_one = upper;
  off_by_one.back() = 'Y';
  EXPECT_EQ(select(name, {upper + " tail", off_by_one + " tail", upper.substr(1)}),
            std::vector<std::string>{upper + " tail"});
}

}  // namespace
}  // namespace fieldsift
