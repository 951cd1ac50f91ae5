#include "headsift_run.h"

#include "headsift_options.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/header_model.h"
#include "support/row_model.h"
#include "support/scripted_channel.h"
#include "support/scripted_files.h"
#include "support/scripted_run.h"

namespace fieldsift {
namespace {

using testing::ReadStep;
using testing::ScriptedChannel;
using testing::ScriptedFile;
using testing::ScriptedFiles;

const std::string kFirst = "From a\nA: 1\n\nbody\n";
const std::string kSecond = "B: 2\r\n\r\nFrom not a separator\r\n";
const std::string kPiped = "From s\nS: 3\n\n";

std::string report(const std::string& name, const std::string& description) {
  return "headsift: " + name + ": " + description + "\n";
}

struct FilesCase {
  const char* what;
  std::vector<const char*> args;
  bool input_is_output;
  int status;
  std::string out;
  std::string err;
};

// The FILEs in turn, standard input among them, each closed before the next
// is opened; a failure between two good files is reported and the rest read.
TEST(HeadsiftRunTest, FilesInTurn) {
  const std::string first = model::header_blocks(kFirst);
  const std::string second = model::header_blocks(kSecond);
  const std::string piped = model::header_blocks(kPiped);
  const std::vector<FilesCase> cases = {
      {"in the order named", {"one", "two", "one"}, false, 0, first + second + first, ""},
      {"a missing file between two good ones",
       {"one", "missing", "two"},
       false,
       2,
       first + second,
       report("missing", "No such file or directory")},
      {"a file that cannot be opened",
       {"locked", "two"},
       false,
       2,
       second,
       report("locked", "Permission denied")},
      {"a file that is the output",
       {"one", "own", "two"},
       false,
       2,
       first + second,
       report("own", "Input file is also the output")},
      {"a read that fails: the rest still read",
       {"failing", "two"},
       false,
       2,
       "A: x\n\n" + second,
       report("failing", "Input/output error")},
      {"- twice: standard input read to its end once",
       {"-", "two", "-"},
       false,
       0,
       piped + second,
       ""},
      {"no FILE: standard input", {}, false, 0, piped, ""},
      {"standard input that is the output",
       {"one", "-"},
       true,
       2,
       first,
       report("stdin", "Input file is also the output")},
  };
  for (const FilesCase& c : cases) {
    ScriptedFiles files;
    files.add("one", {{{kFirst}}});
    files.add("two", {{{kSecond.substr(0, 5)}, {kSecond.substr(5)}}});
    files.add("locked", {{}, EACCES});
    files.add("own", {{{kFirst}}, 0, true});
    files.add("failing", {{{"A: x\n"}, {"", EIO}}});
    ScriptedChannel in(StreamKind::Pipe);
    in.script({{kPiped}});
    ScriptedChannel out(StreamKind::Pipe);
    ScriptedChannel err(StreamKind::Device);
    std::vector<const char*> args = {"headsift"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(testing::run_headsift_over(args, in, files, out, err, c.input_is_output), c.status)
        << c.what;
    EXPECT_EQ(out.written(), c.out) << c.what;
    EXPECT_EQ(err.written(), c.err) << c.what;
    EXPECT_FALSE(files.holds_one_open()) << c.what << ": the last file is closed";
  }
}

// A row is whole or not written: a read that fails inside a header leaves
// that message's row out, where its value would come cut short ("4" for
// "46"), and the rows before it stand. Headers keep their rule: what was
// read of them goes out, closed.
TEST(HeadsiftRunTest, HeaderThatAFailedReadCutsShortGetsNoRow) {
  const std::string whole = "From a\nSubject: 1\n\n";
  const std::string cut = "From b\nSubject: 4";
  const struct {
    const char* what;
    std::vector<const char*> args;
    std::vector<ReadStep> reads;
    std::string out;
  } cases[] = {
      {"inside a header's line", {"-f", "subject"}, {{whole + cut}, {"", EIO}}, "m\t0\t1\n"},
      {"at a header's line end",
       {"-f", "subject"},
       {{whole + cut + "6\n"}, {"", EIO}},
       "m\t0\t1\n"},
      {"in a body: the row is whole", {"-f", "subject"}, {{whole + "bo"}, {"", EIO}}, "m\t0\t1\n"},
      {"after a read cut inside a header",
       {"-f", "subject", "--json"},
       {{whole + "From b\nSub"}, {"ject: 46\n"}, {"", EIO}},
       "{\"input\":\"m\",\"offset\":0,\"fields\":{\"subject\":\"1\"}}\n"},
      {"headers", {}, {{whole + cut}, {"", EIO}}, whole + cut + "\n\n"},
  };
  for (const auto& c : cases) {
    ScriptedFiles files;
    files.add("m", {c.reads});
    ScriptedChannel in(StreamKind::Pipe);
    ScriptedChannel out(StreamKind::Pipe);
    ScriptedChannel err(StreamKind::Device);
    std::vector<const char*> args = {"headsift"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("m");
    EXPECT_EQ(testing::run_headsift_over(args, in, files, out, err), 2) << c.what;
    EXPECT_EQ(out.written(), c.out) << c.what;
    EXPECT_EQ(err.written(), report("m", "Input/output error")) << c.what;
  }
}

// Reads of the given size, at most, each a step of the script.
std::vector<ReadStep> read_in_pieces(const std::string& bytes, std::size_t piece) {
  std::vector<ReadStep> reads;
  for (std::size_t at = 0; at < bytes.size(); at += piece)
    reads.push_back({bytes.substr(at, piece)});
  return reads;
}

// Of an input only its mail gives rows, however the reads cut it: a byte
// order mark that opens any input is passed over, and so are an .emlx
// file's count line and what follows the message it counts. Offsets are
// still the input's.
TEST(HeadsiftRunTest, RowsOfTheMailAnInputHolds) {
  const std::string mark = "\xEF\xBB\xBF";
  const std::string mbox = "From a\nSubject: 1\n\nbody\nFrom b\nSubject: 2\n\n";
  const std::string emlx = "17  \nSubject: 3\n\nbody\n<?xml?>\nFrom c\nSubject: 4\n\n";
  const std::string rows =
      "stdin\t3\t1\nstdin\t27\t2\n"
      "m.emlx\t5\t3\n"
      "M.PARTIAL.EMLX\t8\t3\n"
      "m.eml\t0\t3\n";
  using model::Form;
  EXPECT_EQ(
      *model::rows(model::Rows::Tsv, mark + mbox, "stdin", "subject") +
          *model::rows(model::Rows::Tsv, emlx, "m.emlx", "subject", Form::Emlx) +
          *model::rows(model::Rows::Tsv, mark + emlx, "M.PARTIAL.EMLX", "subject", Form::Emlx) +
          *model::rows(model::Rows::Tsv, emlx, "m.eml", "subject"),
      rows)
      << "the model";
  for (const std::size_t piece : {std::size_t{4096}, std::size_t{1}}) {
    ScriptedFiles files;
    files.add("m.emlx", {read_in_pieces(emlx, piece)});
    files.add("M.PARTIAL.EMLX", {read_in_pieces(mark + emlx, piece)});
    files.add("m.eml", {read_in_pieces(emlx, piece)});
    ScriptedChannel in(StreamKind::Pipe);
    in.script(read_in_pieces(mark + mbox, piece));
    ScriptedChannel out(StreamKind::Pipe);
    ScriptedChannel err(StreamKind::Device);
    const std::vector<const char*> args = {"headsift",       "-f",   "subject", "-", "m.emlx",
                                           "M.PARTIAL.EMLX", "m.eml"};
    EXPECT_EQ(testing::run_headsift_over(args, in, files, out, err), 0) << piece;
    EXPECT_EQ(out.written(), rows) << "reads of " << piece;
    EXPECT_EQ(err.written(), "") << piece;
  }
}

// What is held goes on before a read that would wait for the input's
// writer, the first read of an input included; a read that would not wait
// leaves it held, to go out in a large block.
TEST(HeadsiftRunTest, HandsOverWhatItHoldsBeforeAReadThatWouldWait) {
  const std::string first = model::header_blocks(kFirst);
  for (const bool waits : {true, false}) {
    ScriptedFiles files;
    files.add("one", {{{kFirst}}});
    ScriptedChannel in(StreamKind::Pipe);
    in.script({{"From s\nS: 3\n", 0, waits}, {"\nFrom t\n", 0, waits}});
    ScriptedChannel out(StreamKind::Pipe);
    ScriptedChannel err(StreamKind::Device);
    in.watch(out);
    const std::vector<const char*> args = {"headsift", "one", "-"};
    EXPECT_EQ(testing::run_headsift_over(args, in, files, out, err), 0);
    const std::vector<std::size_t> held_back = {0, 0, 0};
    // The last read finds the end, which is ready at once.
    const std::vector<std::size_t> handed_over = {first.size(), first.size() + 12,
                                                  first.size() + 12};
    EXPECT_EQ(in.written_at_reads(), waits ? handed_over : held_back) << waits;
  }
}

// An option's value is never a FILE, and after "--" everything is one.
TEST(HeadsiftRunTest, FilesAmongOptions) {
  const std::vector<const char*> args = {"headsift", "a",  "-f", "x,y", "b", "--json",
                                         "-fz",      "--", "-f", "c",   "--"};
  FileArguments files(args);
  std::vector<std::string> named;
  for (const char* f = files.next(); f != nullptr; f = files.next()) named.emplace_back(f);
  EXPECT_EQ(named, (std::vector<std::string>{"a", "b", "-f", "c", "--"}));
}

}  // namespace
}  // namespace fieldsift
