// The golden cases of tests/e2e/cases: an input, an argument, and the output
// and status the built program must give for them, byte for byte. Each case
// is one line of cases/list; see there for how to add one.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/harness.h"
#include "support/line_model.h"

namespace fieldsift::e2e {
namespace {

const std::string kCases = FIELDSIFT_SOURCE_DIR "/tests/e2e/cases/";

struct GoldenCase {
  std::string label;
  int status = 0;
  std::string name;  // the one argument
  std::string input;
  std::string output;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.label; }

// A line of the list that does not read as a case stops the suite, so that
// no case is passed over unseen.
[[noreturn]] void bad_line(const std::string& line) {
  std::fprintf(stderr, "%slist: not NAME STATUS 'ARGUMENT': %s\n", kCases.c_str(), line.c_str());
  std::abort();
}

std::vector<GoldenCase> golden_cases() {
  std::vector<GoldenCase> cases;
  std::istringstream list(contents_of(kCases + "list"));
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    GoldenCase c;
    std::istringstream fields(line);
    const std::size_t open = line.find('\'');
    const std::size_t close = line.rfind('\'');
    if (!(fields >> c.label >> c.status) || open == std::string::npos || close == open)
      bad_line(line);
    c.name = line.substr(open + 1, close - open - 1);
    c.input = contents_of(kCases + c.label + ".in");
    c.output = contents_of(kCases + c.label + ".out");
    cases.push_back(std::move(c));
  }
  return cases;
}

class GoldenTest : public testing::TestWithParam<GoldenCase> {};

// The model that the property tests, the fuzzers and the benchmarks trust
// must give each golden output too, so that it cannot drift from what is
// written here. CR LF and LF are read alike, so the input's CR LF twin must
// give the same output, whatever the kind of input.
TEST_P(GoldenTest, FromAFileAndThroughAPipe) {
  const GoldenCase& c = GetParam();
  if (c.status == 0) {  // the model knows only runs that succeed
    EXPECT_TRUE(same_bytes("the model", model::expected_output(c.name, c.input), c.output));
  }
  std::vector<std::pair<const char*, std::string>> inputs = {{"the input", c.input}};
  if (std::string twin = model::crlf_input(c.input); twin != c.input)
    inputs.emplace_back("its CR LF twin", std::move(twin));
  for (const auto& [what, input] : inputs) {
    const Fd file = file_holding(input);
    EXPECT_TRUE(finished(run_from({c.name}, file.get()), c.status, c.output, ""))
        << what << ", from a file";
    EXPECT_TRUE(finished(run_piped({c.name}, input), c.status, c.output, ""))
        << what << ", through a pipe";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, testing::ValuesIn(golden_cases()),
                         label_of<GoldenCase>);

}  // namespace
}  // namespace fieldsift::e2e
