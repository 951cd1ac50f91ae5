// headsift end to end: files named on its command line and standard input
// in turn, its options, and its failures. The message rule itself is held
// to the model by the unit tests and the golden cases.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "e2e/harness.h"
#include "support/header_model.h"
#include "support/row_model.h"

namespace fieldsift::e2e {
namespace {

// A temporary folder of files, removed with what it holds.
class Folder {
 public:
  Folder() {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/headsift-XXXXXX";
    if (mkdtemp(path_.data()) == nullptr) ADD_FAILURE() << "mkdtemp";
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  ~Folder() {
    for (const std::string& name : names_) {
      if (unlink(path(name).c_str()) != 0) (void)rmdir(path(name).c_str());  // a folder
    }
    (void)rmdir(path_.c_str());
  }

  [[nodiscard]] std::string path(const std::string& name) const { return path_ + "/" + name; }

  std::string add(const std::string& name, std::string_view bytes) {
    names_.push_back(name);
    const Fd file = open_path(path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    EXPECT_TRUE(write_all(file.get(), bytes));
    return path(name);
  }

  // An empty folder within.
  std::string add_folder(const std::string& name) {
    names_.push_back(name);
    EXPECT_EQ(mkdir(path(name).c_str(), 0700), 0) << name;
    return path(name);
  }

 private:
  std::string path_;
  std::vector<std::string> names_;
};

std::string reported(const std::string& name, std::string_view description) {
  return "headsift: " + name + ": " + std::string(description) + "\n";
}

const std::string kLf = "From a\nX: 1\n folded\n\nbody\nFrom b\nY: 2\n\n";
const std::string kCrLf = "From c\r\nZ: 3\r\n\r\nbody\r\n>From not\r\n";

// The files in turn, standard input among them, whatever their line ends; a
// missing file and a folder are reported and the rest still read; a file
// that ends inside a header is closed before the next begins.
TEST(HeadsiftFilesTest, EachInTurnAndEveryFailureReported) {
  Folder folder;
  const std::string lf = folder.add("lf.mbox", kLf);
  const std::string crlf = folder.add("crlf.mbox", kCrLf);
  const std::string unended = folder.add("unended.eml", "X: no line end");
  const std::string missing = folder.path("missing");
  const std::string piped = "From s\nS: 4\n\n";
  const std::vector<std::string> args = {lf, missing, unended, crlf, folder.path(""), "-", lf};
  const std::string out = model::header_blocks(kLf) + "X: no line end\n\n" +
                          model::header_blocks(kCrLf) + model::header_blocks(piped) +
                          model::header_blocks(kLf);
  const std::string err =
      reported(missing, "No such file or directory") + reported(folder.path(""), "Is a directory");
  EXPECT_TRUE(finished(run_piped(args, piped, {}, kHeadsift), 2, out, err));
}

TEST(HeadsiftFilesTest, StandardInputWhenNoFileIsNamed) {
  const Fd file = file_holding(kCrLf);
  EXPECT_TRUE(finished(run_from({}, file.get(), kHeadsift), 0, model::header_blocks(kCrLf), ""));
  EXPECT_TRUE(finished(run_piped({"--"}, kLf, {}, kHeadsift), 0, model::header_blocks(kLf), ""));
}

// -o FILE gets what standard output would, in every format; an input that
// is FILE is refused and the rest read; a FILE that cannot be opened is
// reported before anything is read.
TEST(HeadsiftFilesTest, OutputToAFileByName) {
  Folder folder;
  const std::string lf = folder.add("lf.mbox", kLf);
  const std::string out = folder.path("out");
  for (const std::vector<std::string>& asked : std::vector<std::vector<std::string>>{
           {}, {"-f", "x,:size"}, {"-f", "x", "--json"}, {"-f", "x", "--csv", "--bom"}}) {
    std::vector<std::string> args = asked;
    args.push_back(lf);
    const Outcome to_stdout = run_piped(args, "", {}, kHeadsift);
    args.insert(args.begin(), {"-o", out});
    EXPECT_TRUE(finished(run_piped(args, "", {}, kHeadsift), 0, "", ""));
    EXPECT_EQ(contents_of(out), to_stdout.out) << args[2];
  }
  folder.add("out", "");  // removed with the folder
  const std::string err = reported(lf, "Input file is also the output");
  EXPECT_TRUE(finished(run_piped({"--output=" + lf, lf, "-"}, kCrLf, {}, kHeadsift), 2, "", err));
  EXPECT_EQ(contents_of(lf), model::header_blocks(kCrLf));
  const Fd input = file_holding(kLf);
  const std::string nowhere = folder.path("none/out");
  EXPECT_TRUE(finished(run_from({"-o", nowhere}, input.get(), kHeadsift), 2, "",
                       reported(nowhere, "No such file or directory")));
  EXPECT_EQ(file_offset(input.get()), 0);
}

// An .emlx file, as Apple's mail program keeps a message: its first line
// counts the message's bytes after it, and a property list follows them.
// Neither is any part of the message, whatever the case of the name; a
// first line that is no count is the message's, as in any file.
TEST(HeadsiftFilesTest, EmlxFilesGiveTheMessageTheyCount) {
  Folder folder;
  const std::string message =
      contents_of(FIELDSIFT_SOURCE_DIR "/examples/maildir/new/1764666764.M3P2003.mx.example.net");
  const std::string header = message.substr(0, message.find("\n\n") + 2);
  const std::string plist =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
      "\t<key>flags</key>\n\t<integer>8590195713</integer>\n</dict>\n</plist>\n";
  const std::string count = std::to_string(message.size()) + "       \n";
  // A partial file holds a header alone, its empty line left out, and the
  // list follows it at once: were it not passed over, it would be header.
  const std::string partial = header.substr(0, header.size() - 1);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"1.emlx", count + message + plist},
      {"2.partial.emlx", std::to_string(partial.size()) + "\n" + partial + plist},
      {"3.EMLX", "\xEF\xBB\xBF" + count + message + plist},
      {"4.emlx", message + plist},
  };
  std::vector<std::string> args = {"-f", "subject,date"};
  std::string blocks;
  std::string rows;
  for (const auto& [name, bytes] : files) {
    args.push_back(folder.add(name, bytes));
    blocks += model::header_blocks(bytes, model::Form::Emlx);
    rows += *model::rows(model::Rows::Tsv, bytes, args.back(), "subject,date", model::Form::Emlx);
  }
  EXPECT_EQ(blocks, header + header + header + header) << "the model";
  const std::string fields = "\tRoom booked for noon\tWed, 02 Dec 2026 09:12:40 +0000\n";
  EXPECT_EQ(rows, args[2] + "\t" + std::to_string(count.size()) + fields + args[3] + "\t4" +
                      fields + args[4] + "\t" + std::to_string(count.size() + 3) + fields +
                      args[5] + "\t0" + fields)
      << "the model";
  EXPECT_TRUE(finished(run_from(args, kClosed, kHeadsift), 0, rows, ""));
  args.erase(args.begin(), args.begin() + 2);
  EXPECT_TRUE(finished(run_from(args, kClosed, kHeadsift), 0, blocks, ""));
}

struct OptionCase {
  std::string label;
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.label; }

class HeadsiftOptionTest : public testing::TestWithParam<OptionCase> {};

// Options are understood before a byte is read.
TEST_P(HeadsiftOptionTest, StandardInputIsLeftUnread) {
  const Fd input = file_holding("From x\n\n");
  EXPECT_TRUE(finished(run_from(GetParam().args, input.get(), kHeadsift), GetParam().status,
                       GetParam().out, GetParam().err));
  EXPECT_EQ(file_offset(input.get()), 0);
}

const std::string kUsage =
    "usage: headsift [-f COLUMN[,COLUMN...] [--json | --csv [--bom]] [--decode]] [FILE...]\n";

OptionCase misuse(std::string label, std::vector<std::string> args, const std::string& report) {
  return {std::move(label), std::move(args), 2, "", "headsift: " + report + "\n" + kUsage};
}

INSTANTIATE_TEST_SUITE_P(
    Options, HeadsiftOptionTest,
    testing::Values(
        OptionCase{
            "Help",
            {"--help"},
            0,
            kUsage + "Copies the header of each mail message in the FILEs, or in standard input\n"
                     "(also named -), to standard output, with the empty line that ends it. An\n"
                     "input whose first line begins \"From \" is a mailbox, where each line\n"
                     "\"From \" outside a header begins a message; any other input is one "
                     "message.\n"
                     "With -f, one line a message instead: the input's name, the message's "
                     "offset\n"
                     "and each column, TAB-separated; --json writes them as JSON Lines, --csv as\n"
                     "CSV (--bom: after a UTF-8 byte order mark), and --decode encoded words\n"
                     "(=?charset?B|Q?...?=) as UTF-8. A column is a field's first value, "
                     "unfolded\n"
                     "(NAME), a view of it (NAME:iso, :epoch, :addr, :name, :id), or :size or\n"
                     ":parent.\n",
            ""},
        OptionCase{"Version", {"--version"}, 0, "headsift 0.1\n", ""},
        misuse("Unknown", {"-x"}, "-x: unknown option"),
        misuse("UnknownAfterAFile", {"a", "--bogus"}, "--bogus: unknown option"),
        OptionCase{"AfterTheEndOfOptionsAFile",
                   {"--", "-x"},
                   2,
                   "",
                   "headsift: -x: No such file or directory\n"},
        misuse("FieldsWithoutAList", {"-f"}, "-f: missing field list"),
        misuse("AnEmptyList", {"--fields="}, "-f: no field name given"),
        misuse("AnEmptyName", {"-f", "subject,,from"}, "subject,,from: empty field name"),
        misuse("ABlankName", {"-f", "subject, :,from"}, "subject, :,from: empty field name"),
        misuse("ANameTwice", {"-fsubject,from,Subject:"}, "Subject: field named twice"),
        misuse("TwoLists", {"-f", "a", "--fields=b"}, "--fields=b: field list given twice"),
        misuse("ListAfterAnEqualsSign", {"-f=subject"}, "=subject: field name begins with \"=\""),
        misuse("NameAfterAnEqualsSign", {"--fields=subject,=date"},
               "=date: field name begins with \"=\""),
        // Every option is checked before --help or --version acts.
        misuse("VersionThenUnknown", {"--version", "--bogus"}, "--bogus: unknown option"),
        misuse("UnknownThenVersion", {"--bogus", "--version"}, "--bogus: unknown option"),
        misuse("HelpThenAFaultyList", {"--help", "-f", "a,,b"}, "a,,b: empty field name"),
        misuse("HelpThenJsonAlone", {"--help", "--json"}, "--json: only with -f"),
        OptionCase{"VersionAmongGoodOptions",
                   {"-f", "subject", "--version", "--json", "--help", "file"},
                   0,
                   "headsift 0.1\n",
                   ""},
        misuse("JsonWithoutFields", {"--json", "a"}, "--json: only with -f"),
        misuse("DecodeWithoutFields", {"a", "--decode"}, "--decode: only with -f"),
        misuse("CsvWithoutFields", {"--csv"}, "--csv: only with -f"),
        misuse("CsvAndJson", {"-f", "a", "--json", "--csv"}, "--csv: not with --json"),
        misuse("BomWithoutCsv", {"-f", "a", "--bom"}, "--bom: only with --csv"),
        misuse("OutputWithoutAFile", {"-o"}, "-o: missing output file"),
        misuse("TwoOutputs", {"-oa", "--output", "b"}, "--output: output given twice"),
        misuse("AnUnknownView", {"-f", "date:iso,subject::"}, "subject::: unknown view")),
    label_of<OptionCase>);

TEST(HeadsiftOutputTest, FailedWriteIsReportedAndAGoneReaderIsNot) {
  const Fd input = file_holding(kLf);
  const Fd full = open_path("/dev/full", O_WRONLY);
  EXPECT_TRUE(finished(run_into({}, input.get(), full.get(), kHeadsift), 2, "",
                       reported("stdout", "No space left on device")));
  Pipe gone = make_pipe();
  gone.read.reset();
  const Fd again = file_holding(kLf);
  EXPECT_TRUE(finished(run_into({}, again.get(), gone.write.get(), kHeadsift), 0, "", ""));
}

// Each report is one write, so that runs sharing standard error (xargs -P)
// never cut into each other's; a line feed in a name shows as '?', so the
// report stays one line.
TEST(HeadsiftOutputTest, EachReportIsOneWriteOfOneLine) {
  if (expected::kWindows) GTEST_SKIP() << "Wine's own writes would be counted too";
  Folder folder;
  const std::vector<std::string> missing = {folder.path("a"), folder.path("line\nfeed"),
                                            folder.path("c")};
  const Fd out = file_holding("");
  const Outcome got = run_into(missing, kClosed, out.get(), kHeadsift);
  const std::string err = reported(missing[0], "No such file or directory") +
                          reported(folder.path("line?feed"), "No such file or directory") +
                          reported(missing[2], "No such file or directory");
  EXPECT_TRUE(finished(got, 2, "", err));
  // A sanitizer's runtime makes writes of its own, as many as the paths the
  // run takes call for: the count is a plain build's.
  if (FIELDSIFT_INSTRUMENTED == 0) {
    EXPECT_EQ(got.exit.write_calls, 3);
  }
}

// `headsift f g >> f`: f is refused, g still read.
TEST(HeadsiftOutputTest, FileThatIsAlsoTheOutputIsRefused) {
  Folder folder;
  const std::string own = folder.add("own.mbox", kLf);
  const std::string other = folder.add("other.mbox", kCrLf);
  const Fd out = open_path(own.c_str(), O_WRONLY | O_APPEND);
  EXPECT_TRUE(finished(run_into({own, other}, kClosed, out.get(), kHeadsift), 2, "",
                       reported(own, "Input file is also the output")));
  EXPECT_EQ(contents_of(own), kLf + model::header_blocks(kCrLf));
}

// `headsift f /dev/stdout | cat`: the pipe it writes to would never give it
// a byte; refused as a file that is the output is, and the rest still read.
TEST(HeadsiftOutputTest, PipeThatIsAlsoTheOutputIsRefused) {
  if (expected::kWindows) GTEST_SKIP() << "Windows has no name for a pipe it did not name";
  Folder folder;
  const std::string one = folder.add("one.mbox", kLf);
  const std::string other = folder.add("other.eml", kCrLf);
  EXPECT_TRUE(finished(run_from({one, "/dev/stdout", other}, kClosed, kHeadsift), 2,
                       model::header_blocks(kLf) + model::header_blocks(kCrLf),
                       reported("/dev/stdout", "Input file is also the output")));
}

// `(sleep 3; ...) | headsift m1 - | cat`: m1's headers come through before a
// byte of standard input does, however long that takes.
TEST(HeadsiftOutputTest, WhatIsHeldGoesOnBeforeASilentInput) {
  Folder folder;
  const std::string one = folder.add("one.mbox", kLf);
  Pipe in = make_pipe();
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start({one, "-"}, {in.read.get(), out.write.get(), err.write.get()}, kHeadsift);
  in.read.reset();
  EXPECT_TRUE(same_bytes("before standard input speaks",
                         read_arriving(out.read.get(), kPatience, kQuiet),
                         model::header_blocks(kLf)));
  ASSERT_TRUE(write_all(in.write.get(), "From b\nS: 2\n\n"));
  in.write.reset();
  EXPECT_TRUE(finished(collect(child, out, err), 0, "From b\nS: 2\n\n", ""));
}

// cmd.exe leaves wildcards to the program; a shell expands them itself.
TEST(HeadsiftFilesTest, WildcardsAreTheProgramsOnWindows) {
  if (!expected::kWindows) GTEST_SKIP() << "a shell expands wildcards for a POSIX program";
  Folder folder;
  const std::vector<std::string> messages = {"From a\nA: 1\n\nx\n", "B: 2\r\n\r\ny\r\n",
                                             "From c\nC: 3"};
  for (std::size_t i = 0; i < messages.size(); ++i)
    (void)folder.add(std::to_string(i) + ".eml", messages[i]);
  (void)folder.add("other.txt", "From z\n\n");
  // A longer extension, which the short 8.3 name cuts to ".EML", and a
  // folder: neither is a match. A wildcard in a folder part is no pattern:
  // the system refuses the name.
  (void)folder.add("d.emlx", "From d\nD: 4\n\n");
  (void)folder.add_folder("x.eml");
  const std::vector<std::string> args = {folder.path("*.eml"), folder.path("*.none"),
                                         folder.path("x.e?l"), folder.path("*/0.eml")};
  const Outcome got = run_from(args, kClosed, kHeadsift);
  EXPECT_TRUE(finished(got, 2, got.out,
                       reported(args[1], "No such file or directory") +
                           reported(args[2], "No such file or directory") +
                           reported(args[3], "Invalid argument")));
  // In the directory's order, which is the file system's.
  std::vector<std::string> expected;
  for (const std::string& m : messages) expected.push_back(model::header_blocks(m));
  std::vector<std::string> blocks = expected;
  std::sort(blocks.begin(), blocks.end());
  std::string any_order;
  do {
    any_order.clear();
    for (const std::string& b : blocks) any_order += b;
  } while (any_order != got.out && std::next_permutation(blocks.begin(), blocks.end()));
  EXPECT_EQ(got.out, any_order);
}

// "*.emlx" finds .emlx files by their long names, ".partial.emlx" ones
// among them, and each is read as one.
TEST(HeadsiftFilesTest, EmlxFilesByAWildcardOnWindows) {
  if (!expected::kWindows) GTEST_SKIP() << "a shell expands wildcards for a POSIX program";
  Folder folder;
  (void)folder.add("1.emlx", "12\nSubject: a\n\n<plist/>\n");
  (void)folder.add("2.partial.emlx", "10\nSubject: b<plist/>\n");
  (void)folder.add("3.eml", "Subject: c\n\n");
  const Outcome got = run_from({"-f", "subject", folder.path("*.emlx")}, kClosed, kHeadsift);
  EXPECT_TRUE(finished(got, 0, got.out, ""));
  // In the directory's order, which is the file system's.
  std::vector<std::string> rows = {folder.path("1.emlx") + "\t3\ta\n",
                                   folder.path("2.partial.emlx") + "\t3\tb\n"};
  if (got.out.starts_with(rows[1])) std::swap(rows[0], rows[1]);
  EXPECT_EQ(got.out, rows[0] + rows[1]);
}

}  // namespace
}  // namespace fieldsift::e2e
