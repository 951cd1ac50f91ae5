#include "textio/platform/name_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace fieldsift {
namespace {

struct PatternCase {
  std::string_view pattern;
  std::string_view name;
  bool matches;
};

// The long name alone decides: Windows' own search also matches the short
// 8.3 names, where "*.eml" finds "d.emlx" by its "D~1.EML".
TEST(NamePatternTest, LongNamesMatchAsWindowsComparesThem) {
  const std::vector<PatternCase> cases = {
      {"*.eml", "a.eml", true},
      {"*.eml", "d.emlx", false},
      {"*.emlx", "d.emlx", true},
      {"*.emlx", "12.partial.emlx", true},
      {"*.emlx", "D.EMLX", true},
      {"*.emlx", "d.eml", false},
      {"*.eml", "A.EML", true},
      {"*.EML", "a.eml", true},
      {"*.eml", ".eml", true},
      {"*.eml", "a.b.eml", true},
      {"*.eml", "eml", false},
      {"?.eml", "a.eml", true},
      {"?.eml", ".eml", false},
      {"?.eml", "ab.eml", false},
      {"??", "ab", true},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXcYb", false},
      {"*", "", true},
      {"**", "a", true},
      {"a*", "a", true},
      {"*a", "ba", true},
      {"*a", "ab", false},
      {"*.*", "README", true},
      {"*.*", "a.eml", true},
      {"a.*", "a", false},
      {"[ab].eml", "a.eml", false},
      {"[ab].eml", "[ab].eml", true},
      // Only ASCII letters fold; other bytes, those of a UTF-8 name, match as they are.
      {"\xc3\xa9.eml", "\xc3\xa9.eml", true},
      {"\xc3\xa9.eml", "\xc3\x89.eml", false},
      {"@.eml", "`.eml", false},
      {"[.eml", "{.eml", false},
  };
  for (const PatternCase& c : cases)
    EXPECT_EQ(name_matches(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

// A * whose match fails further on gives back one byte at a time; a name of
// many near-misses still answers at once.
TEST(NamePatternTest, NearMissesAreSettledWithoutBlowingUp) {
  const std::string name(4000, 'a');
  EXPECT_FALSE(name_matches("*a*a*a*a*a*b", name));
  EXPECT_TRUE(name_matches("*a*a*a*a*a*a", name));
}

}  // namespace
}  // namespace fieldsift
