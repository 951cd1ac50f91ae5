// The golden cases of tests/e2e/cases: an input, an argument, and the output
// and status the built program must give for them, byte for byte. Each case
// is one line of cases/list; see there for how to add one.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/harness.h"
#include "support/header_model.h"
#include "support/line_model.h"
#include "support/row_model.h"

namespace fieldsift::e2e {
namespace {

const std::string kCases = FIELDSIFT_SOURCE_DIR "/tests/e2e/cases/";

struct GoldenCase {
  std::string label;
  int status = 0;
  bool headsift = false;          // run headsift with args; else fieldsift with name
  std::string name;               // fieldsift's one argument
  std::vector<std::string> args;  // headsift's
  std::string input;
  std::string output;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.label; }

// A line of the list that does not read as a case stops the suite, so that
// no case is passed over unseen.
[[noreturn]] void bad_line(const std::string& line) {
  std::fprintf(stderr, "%slist: not NAME STATUS 'ARGUMENT' or NAME STATUS headsift [ARG...]: %s\n",
               kCases.c_str(), line.c_str());
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
    std::string program;
    if (!(fields >> c.label >> c.status)) bad_line(line);
    if (open != std::string::npos && close != open) {
      c.name = line.substr(open + 1, close - open - 1);
    } else if (fields >> program && program == "headsift") {
      c.headsift = true;
      for (std::string arg; fields >> arg;) c.args.push_back(arg);
    } else {
      bad_line(line);
    }
    c.input = contents_of(kCases + c.label + ".in");
    c.output = contents_of(kCases + c.label + ".out");
    cases.push_back(std::move(c));
  }
  return cases;
}

// What the models say headsift writes from standard input: header blocks,
// or with -f LIST [--json | --csv] its rows; none for --decode, whose rules the
// decoder's own table holds.
std::optional<std::string> headsift_model(const std::vector<std::string>& args,
                                          const std::string& input) {
  if (args.empty()) return model::header_blocks(input);
  if (args.back() == "--decode") return std::nullopt;
  const bool json = args.size() == 3 && args[2] == "--json";
  const bool csv = args.size() == 3 && args[2] == "--csv";
  if (args[0] != "-f" || args.size() != (json || csv ? 3U : 2U)) bad_line("headsift " + args[0]);
  const model::Rows format = json ? model::Rows::Json : csv ? model::Rows::Csv : model::Rows::Tsv;
  return model::rows(format, input, "stdin", args[1]);
}

class GoldenTest : public testing::TestWithParam<GoldenCase> {};

// The model that the property tests, the fuzzers and the benchmarks trust
// must give each golden output too, so that it cannot drift from what is
// written here. fieldsift reads CR LF and LF alike, so the input's CR LF twin
// must give it the same output, whatever the kind of input; headsift keeps
// line ends as they come.
TEST_P(GoldenTest, FromAFileAndThroughAPipe) {
  const GoldenCase& c = GetParam();
  const std::optional<std::string> modelled =
      c.headsift ? headsift_model(c.args, c.input) : model::expected_output(c.name, c.input);
  if (c.status == 0 && modelled) {  // the models know only runs that succeed
    EXPECT_TRUE(same_bytes("the model", *modelled, c.output));
  }
  std::vector<std::pair<const char*, std::string>> inputs = {{"the input", c.input}};
  if (std::string twin = model::crlf_input(c.input); twin != c.input && !c.headsift)
    inputs.emplace_back("its CR LF twin", std::move(twin));
  const char* const program = c.headsift ? kHeadsift : kFieldsift;
  std::vector<std::string> args = c.args;
  if (!c.headsift) args.push_back(c.name);
  for (const auto& [what, input] : inputs) {
    const Fd file = file_holding(input);
    EXPECT_TRUE(finished(run_from(args, file.get(), program), c.status, c.output, ""))
        << what << ", from a file";
    EXPECT_TRUE(finished(run_piped(args, input, {}, program), c.status, c.output, ""))
        << what << ", through a pipe";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, testing::ValuesIn(golden_cases()),
                         label_of<GoldenCase>);

}  // namespace
}  // namespace fieldsift::e2e
