#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

struct SameFileCase {
  const char* what;
  FileIdentity output;
  std::int64_t position;
  bool refused;
};

// An input is refused only where reading on would meet the output: one file,
// by device and number both, with bytes left to read.
TEST(SameFileTest, RefusedOnlyWhereReadingWouldMeetTheOutput) {
  constexpr FileIdentity kInput{7, {0, 42}};
  constexpr std::int64_t kSize = 100;
  const std::vector<SameFileCase> cases = {
      {"one file, bytes left", kInput, 0, true},
      {"one file, the last byte left", kInput, kSize - 1, true},
      {"one file, read to its end", kInput, kSize, false},
      {"another device, the same number", {8, {0, 42}}, 0, false},
      {"the same device, another number", {7, {0, 43}}, 0, false},
      {"numbers alike but for their high half", {7, {1, 42}}, 0, false},
      {"a position the system could not tell", kInput, -1, false},
  };
  for (const SameFileCase& c : cases)
    EXPECT_EQ(reads_own_output(kInput, c.output, c.position, kSize), c.refused) << c.what;
}

}  // namespace
}  // namespace fieldsift
