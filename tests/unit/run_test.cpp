#include "run.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "support/line_model.h"
#include "support/random_bytes.h"
#include "support/scripted_channel.h"
#include "support/scripted_run.h"
#include "support/scripted_streams.h"

namespace fieldsift {
namespace {

using testing::ReadStep;
using testing::ScriptedChannel;
using testing::string_of;

using Outcome = testing::RunOutcome;

Outcome run_with(std::vector<const char*> args, std::vector<ReadStep> input, int out_error = 0) {
  ScriptedChannel in(StreamKind::Pipe);
  in.script(std::move(input));
  return testing::run_scripted(args, in, out_error);
}

// Every line the program writes ends in CR LF.
using model::with_crlf_line_ends;

constexpr const char* kUsage = "fieldsift: fieldsift, Ver 0.1\nusage: fieldsift \"Hoge:\"\n";

TEST(RunTest, WrongCommandLineGivesUsageWithoutReading) {
  for (const auto& args :
       std::vector<std::vector<const char*>>{{"fieldsift"}, {"fieldsift", "a:", "b:"}}) {
    const Outcome o = run_with(args, {{"a: x\n"}});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, with_crlf_line_ends(kUsage));
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.reads, 0U);
  }
}

struct ReportCase {
  const char* what;
  std::vector<ReadStep> input;
  int out_error;
  int status;
  std::string out;
  std::string err;
};

TEST(RunTest, StatusAndReports) {
  const std::vector<ReportCase> cases = {
      {"normal end", {{"A: 1\n b\nB: 2\n"}}, 0, 0, "A: 1\n b\n", ""},
      {"read failure after a line",
       {{"A: 1\nA: "}, {"", EIO}, {"2\n"}},
       0,
       2,
       "A: 1\nA: \n",
       "stdin: Input/output error\n"},
      {"failure sticks though later reads succeed",
       {{"", EISDIR}, {"A: 1\n"}},
       0,
       2,
       "",
       "stdin: Is a directory\n"},
      {"write failure", {{"A: 1\n"}}, ENOSPC, 2, "", "stdout: No space left on device\n"},
      {"broken pipe stays silent", {{"A: 1\n"}}, EPIPE, 0, "", ""},
      {"read and write failures, stdin first",
       {{"A: 1\n"}, {"", EIO}},
       ENOSPC,
       2,
       "",
       "stdin: Input/output error\nstdout: No space left on device\n"},
  };
  for (const ReportCase& c : cases) {
    const Outcome o = run_with({"fieldsift", "a:"}, c.input, c.out_error);
    EXPECT_EQ(o.status, c.status) << c.what;
    EXPECT_EQ(o.out, with_crlf_line_ends(c.out)) << c.what;
    EXPECT_EQ(o.err, with_crlf_line_ends(c.err)) << c.what;
  }
}

TEST(RunTest, UsageToAFailingOutputIsReported) {
  const Outcome o = run_with({"fieldsift"}, {}, ENOSPC);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "stdout: No space left on device\r\n");
}

TEST(RunTest, LongLinesAreNeitherSplitNorCut) {
  const std::string body(100000, 'b');
  // A field name 65,536 bytes into a long body line must not pose as a field start.
  const std::string disguised = std::string(65536, 'b') + "A: no";
  const std::string selected = "A: " + body;
  const std::string input = disguised + "\n x\n" + selected + "\n more\nC: " + body + "\n y\n";
  const Outcome o = run_with({"fieldsift", "a:"}, {{input}});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, with_crlf_line_ends(selected + "\n more\n"));
}

TEST(RunTest, LongSelectedLineEndsAtItsFirstNul) {
  std::string line = "A: " + std::string(100000, 'b');
  line[70000] = '\0';
  const Outcome o = run_with({"fieldsift", "a:"}, {{line + "\n x\n"}});
  EXPECT_EQ(o.out, with_crlf_line_ends(line.substr(0, 70000) + "\n x\n"));
}

TEST(RunTest, NamesAsLongAsTheLineBufferAndLonger) {
  // A head holds the buffer less one byte: a name that long, or longer, needs
  // a buffer of its own.
  for (const std::size_t length : {kLineBufferSize - 1, kLineBufferSize, std::size_t{70000}}) {
    const std::string name(length, 'n');
    const std::string upper(length, 'N');
    const std::string input = upper + " yes\n" + upper.substr(1) + "m no\n";
    const Outcome o = run_with({"fieldsift", name.c_str()}, {{input}});
    EXPECT_EQ(o.out, with_crlf_line_ends(upper + " yes\n")) << "a name of " << length << " bytes";
  }
}

// What run() must match, however it passes over lines: the output the model
// gives for the lines a plain loop reads, offering every line in turn, and
// the reads that loop makes.
struct PlainRun {
  std::string out;
  std::size_t reads;
};

PlainRun plain_run(std::string_view name, const std::vector<testing::ReadStep>& input) {
  ScriptedChannel in(StreamKind::Pipe);
  in.script(input);
  testing::ScriptedInput scripted(in);
  LineReader& reader = scripted.reader;
  model::FieldSelection selection(name);
  std::vector<unsigned char> buffer(kLineBufferSize);
  std::string out;
  while (const std::optional<Line> line = reader.read_line(buffer))
    selection.feed(string_of(line->head), out);
  return {out, in.reads()};
}

TEST(SkipTest, PassingOverLinesChangesNeitherOutputNorReads) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<std::size_t> cut(1, 40);
  std::uniform_int_distribution<int> roll(0, 9);
  for (int round = 0; round < 3000; ++round) {
    const std::string input =
        testing::random_bytes(rng, std::uniform_int_distribution<std::size_t>(0, 360)(rng),
                              std::string_view("\n\n\r  .sS`@:x\0", 13));
    std::vector<testing::ReadStep> steps;
    for (std::size_t pos = 0; pos < input.size();) {
      const std::size_t n = std::min(cut(rng), input.size() - pos);
      steps.push_back({input.substr(pos, n)});
      if (roll(rng) == 0) steps.push_back({"", roll(rng) < 5 ? 0 : 5});  // an end or a failure
      pos += n;
    }
    // '@' lacks bit 0x20, which the skip's key must set as the selector's
    // folding does, or it passes over the very lines it waits for.
    constexpr std::array<const char*, 4> kNames = {"s:", "`", "S", "@:"};
    const char* name = kNames[static_cast<std::size_t>(round) % kNames.size()];
    const PlainRun plain = plain_run(name, steps);

    ScriptedChannel in(StreamKind::Pipe);
    in.script(steps);
    const char* const args[] = {"fieldsift", name};
    const Outcome o = testing::run_scripted(args, in);
    ASSERT_EQ(o.out, plain.out) << "input: " << input;
    ASSERT_EQ(o.reads, plain.reads) << "input: " << input;
  }
}

}  // namespace
}  // namespace fieldsift
