// Runs the built program, or a Windows build of it through Wine, with real
// descriptors: pipes, regular files, a pseudo-terminal, a socket, /dev/full,
// a directory, a closed descriptor.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "e2e/harness.h"
#include "e2e/process.h"
#include "support/platform_expectations.h"
#include "textio/line_reader.h"

namespace fieldsift::e2e {
namespace {

// A wrong command line: usage on stdout, status 2, stdin never read.

struct UsageCase {
  std::string label;
  std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.label; }

class UsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, LeavesFileInputUnread) {
  const Fd input = file_holding(mail({"Hoge: never read"}));
  EXPECT_TRUE(finished(run_from(GetParam().args, input.get()), 2, usage(), ""));
  EXPECT_EQ(file_offset(input.get()), 0);
}

TEST_P(UsageTest, LeavesPipedInputUnread) {
  const std::string input = mail({"Hoge: never read", " nor this"});
  Pipe in = make_pipe();
  ASSERT_TRUE(write_all(in.write.get(), input));
  in.write.reset();
  EXPECT_TRUE(finished(run_from(GetParam().args, in.read.get()), 2, usage(), ""));
  EXPECT_EQ(read_up_to(in.read.get(), input.size() + 1), input);
}

TEST_P(UsageTest, ReportsAFullOutputDevice) {
  const Fd input = file_holding(mail({"Hoge: never read"}));
  const Fd full = open_path("/dev/full", O_WRONLY);
  EXPECT_TRUE(finished(run_into(GetParam().args, input.get(), full.get()), 2, "",
                       report("stdout", "No space left on device")));
}

INSTANTIATE_TEST_SUITE_P(WrongArgumentCount, UsageTest,
                         testing::Values(UsageCase{"NoArgument", {}},
                                         UsageCase{"TwoArguments", {"Hoge:", "Hoge:"}}),
                         label_of<UsageCase>);

// Which lines come out of lines longer than the program's buffers, fed
// through pipes. Content cases of a readable size are golden files
// (golden_test.cpp).

struct SelectionCase {
  std::string label;
  std::string name;
  std::string input;
  std::string output;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.label; }

class SelectionTest : public testing::TestWithParam<SelectionCase> {};

// Windows starts no program whose command line is longer than this.
constexpr std::size_t kWindowsCommandLineLimit = 32'767;

TEST_P(SelectionTest, WritesTheFieldLines) {
  const SelectionCase& c = GetParam();
  if (expected::kWindows && c.name.size() >= kWindowsCommandLineLimit) {
    GTEST_SKIP() << "a name this long does not fit a Windows command line";
  }
  EXPECT_TRUE(finished(run_piped({c.name}, c.input), 0, c.output, ""));
}

constexpr std::size_t kLongLine = 200'000;

// A line is one line however long: it is never cut at a buffer's end, where a
// piece would start a line of its own. 4,096 is where a read of the input
// ends; 65,535 where the line buffer's room ends; 65,536 its whole size.
std::vector<SelectionCase> hidden_name_cases() {
  std::vector<SelectionCase> cases;
  for (const std::size_t offset : {std::size_t{4096}, std::size_t{65535}, std::size_t{65536}}) {
    std::string body = long_line("The body goes on ", kLongLine);
    body.replace(offset, 10, "Subject: x");
    cases.push_back({"NameInsideLongLineAt" + std::to_string(offset),
                     "Subject:", mail({body, " indented after it", "Subject: after", " folded"}),
                     written({"Subject: after", " folded"})});
  }
  return cases;
}

std::vector<SelectionCase> long_selected_line_cases() {
  const std::string line = long_line("Subject: ", kLongLine);
  std::string with_nul = line;
  with_nul[100'000] = '\0';  // the text of a line ends at its first NUL
  return {
      {"LongSelectedLine", "Subject:", mail({line, "Other: y"}), written({line})},
      {"LongSelectedLineThenContinuation", "Subject:", mail({line, " continued", "Other: z"}),
       written({line, " continued"})},
      {"NulInLongSelectedLine", "Subject:", mail({with_nul, " continued"}),
       written({line.substr(0, 100'000), " continued"})},
  };
}

// A name longer than the line buffer still meets the whole of every line start.
SelectionCase long_name_case() {
  const std::string upper(70'000, 'A');
  return {"NameLongerThanLineBuffer", std::string(70'000, 'a') + ":",
          mail({upper + ": selected", " and continued", upper + "; differs in the last byte",
                " not continued", upper, "Other: x", upper + ":"}),
          written({upper + ": selected", " and continued", upper + ":"})};
}

std::vector<SelectionCase> selection_cases() {
  std::vector<SelectionCase> cases = hidden_name_cases();
  const std::vector<SelectionCase> long_selected = long_selected_line_cases();
  cases.insert(cases.end(), long_selected.begin(), long_selected.end());
  cases.push_back(long_name_case());
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Lines, SelectionTest, testing::ValuesIn(selection_cases()),
                         label_of<SelectionCase>);

// CR LF line ends, and the 0x1A end-of-text mark.

// Lines whose CR is the last byte of a read of `block` bytes (offsets block -
// 1, 2 * block - 1 and 3 * block - 1), so one more byte must settle it; the
// third CR stands alone and must stay part of its line.
struct Straddle {
  std::string input;
  std::string output;
};

Straddle straddling_pairs(std::size_t block) {
  const std::string first = long_line("Subject: first ", block - 1);
  const std::string second = long_line(" folded ", block - 2);
  const std::string third = long_line(" lone CR follows ", block - 2) + "\rtail";
  Straddle s;
  s.input = first + "\r\n" + second + "\r\n" + third + "\r\nOther: x\r\n more\r\nSubject: end";
  s.output = written({first, second, third, "Subject: end"});
  return s;
}

TEST(TextModeTest, CrLfAcrossReadBoundariesFromAFile) {
  const Straddle s = straddling_pairs(kLargeReadSize);  // what one read of a file asks for
  ASSERT_EQ(s.input.substr(kLargeReadSize - 1, 2), "\r\n");
  ASSERT_EQ(s.input.substr(2 * kLargeReadSize - 1, 2), "\r\n");
  ASSERT_EQ(s.input.substr(3 * kLargeReadSize - 1, 2), "\rt");
  const Fd file = file_holding(s.input);
  EXPECT_TRUE(finished(run_from({"Subject:"}, file.get()), 0, s.output, ""));
}

TEST(TextModeTest, CrLfAcrossReadBoundariesThroughAPipe) {
  const Straddle s = straddling_pairs(kBlockSize);
  EXPECT_TRUE(finished(run_piped({"Subject:"}, s.input, {kBlockSize, kPause}), 0, s.output, ""));
}

// A piped input's pipe is made larger, so that its writer need not wait for
// the program every 64 KiB.
TEST(InputKindTest, PipeIsWidenedOnLinux) {
  if (expected::kWindows) GTEST_SKIP() << "a Windows pipe's size is its creator's";
  Pipe in = make_pipe();
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  ASSERT_EQ(fcntl(in.write.get(), F_SETPIPE_SZ, 64 * 1024), 64 * 1024);
  Child child = start({"Subject:"}, {in.read.get(), out.write.get(), err.write.get()});
  in.write.reset();  // the read end stays open here, to be asked its size
  EXPECT_TRUE(finished(collect(child, out, err), 0, "", ""));
  EXPECT_GE(fcntl(in.read.get(), F_GETPIPE_SZ), 256 * 1024);
}

// Nothing after a 0x1A is ever seen; the partial line before it is the last.
TEST(TextModeTest, EndOfTextMarkEndsTheInput) {
  const std::string input =
      "Subject: one\r\n two\r\nSubject: partial\x1aSubject: hidden\r\n more\r\n";
  const std::string output = written({"Subject: one", " two", "Subject: partial"});
  const Fd file = file_holding(input);
  EXPECT_TRUE(finished(run_from({"Subject:"}, file.get()), 0, output, ""));
  EXPECT_TRUE(finished(run_piped({"Subject:"}, input), 0, output, ""));
  EXPECT_TRUE(finished(run_piped({"Subject:"}, input, {3, kPause}), 0, output, ""));
}

// When selected lines reach stdout.

// A selected line of 100 bytes with its line feed, so block sizes are easy to count.
std::string numbered_field(std::size_t n) {
  return long_line("Subject: number " + std::to_string(n) + " ", 99);
}

TEST(BufferingTest, PipeOutputComesInWholeBlocks) {
  // 30 selected lines are short of a block, yet would pass any smaller one;
  // 20 more go past the first block but not up to the next. A block is
  // counted in the program's own text, before its line feeds become CR LF.
  std::string early;
  std::string late;
  std::string text;
  for (std::size_t n = 0; n < 50; ++n) {
    (n < 30 ? early : late) += mail({numbered_field(n), "X-Other: not selected"});
    text += mail({numbered_field(n)});
    if (n == 29) {
      ASSERT_LT(text.size(), kBlockSize);
    }
  }
  ASSERT_GT(text.size(), kBlockSize);
  ASSERT_LT(text.size(), 2 * kBlockSize);
  Pipe in = make_pipe();
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start({"Subject:"}, {in.read.get(), out.write.get(), err.write.get()});
  in.read.reset();
  ASSERT_TRUE(write_all(in.write.get(), early));
  EXPECT_FALSE(readable_within(out.read.get(), kQuiet)) << "part of a block reached the pipe";
  ASSERT_TRUE(write_all(in.write.get(), late));
  EXPECT_TRUE(same_bytes("first block", read_arriving(out.read.get(), kPatience, kQuiet),
                         model::with_crlf_line_ends(text.substr(0, kBlockSize))));
  in.write.reset();
  EXPECT_TRUE(finished(collect(child, out, err), 0,
                       model::with_crlf_line_ends(text.substr(kBlockSize)), ""));
}

struct TerminalStep {
  std::string_view input;
  std::string output;  // what the terminal shows right after it, stdin still open
};

TEST(BufferingTest, TerminalOutputComesLineByLine) {
  if (expected::kWindows) {
    GTEST_SKIP() << "Wine makes a terminal the console of a Windows program and rewrites "
                    "what it shows (cursor escapes around each write)";
  }
  const std::vector<TerminalStep> steps = {
      {"Subject: one\n", written({"Subject: one"})},
      {"Other: two\n dropped\nSubject: thr", ""},  // a line shows only once it has ended
      {"ee\n", written({"Subject: three"})},
      {" folded\n", written({" folded"})},
  };
  Pipe in = make_pipe();
  Pty pty = make_raw_pty();
  Pipe err = make_pipe();
  Child child = start({"Subject:"}, {in.read.get(), pty.slave.get(), err.write.get()});
  in.read.reset();
  pty.slave.reset();
  for (const TerminalStep& step : steps) {
    ASSERT_TRUE(write_all(in.write.get(), step.input));
    const auto first = step.output.empty() ? kQuiet : kPatience;
    EXPECT_TRUE(
        same_bytes(step.input, read_arriving(pty.master.get(), first, kQuiet), step.output));
  }
  in.write.reset();
  Outcome got = collect_errors(child, err);
  const std::array<int, 1> terminal{pty.master.get()};
  got.out = read_to_end(terminal)[0];
  EXPECT_TRUE(finished(got, 0, "", ""));
}

// Input that cannot be read.

TEST(InputFailureTest, DirectoryAsInput) {
  const Fd directory = open_path(FIELDSIFT_SOURCE_DIR, O_RDONLY | O_DIRECTORY);
  EXPECT_TRUE(finished(run_from({"Subject:"}, directory.get()), 2, "",
                       report("stdin", expected::kDirectoryRead)));
}

TEST(InputFailureTest, ClosedInput) {
  if (expected::kWindows) {
    GTEST_SKIP() << "Wine does not leave descriptor 0 closed: one of its own files takes it, "
                    "so the program never sees a missing handle";
  }
  EXPECT_TRUE(
      finished(run_from({"Subject:"}, kClosed), 2, "", report("stdin", "Bad file descriptor")));
}

// A read failure after some lines, on demand: the input yields bytes, then
// its reads fail. Linux: once the slave side of a pseudo-terminal is closed
// everywhere, reading its master yields what the slave wrote and then fails
// with EIO. Under Wine a terminal on stdin would become the program's
// console, so a socket reset by its peer stands in.
Fd failing_after(std::string_view bytes) {
  if (expected::kWindows) return reset_socket_after(bytes);
  Pty pty = make_raw_pty();
  EXPECT_TRUE(write_all(pty.slave.get(), bytes));
  return std::move(pty.master);
}

std::string before_failure() {
  return mail({"From: a", "Subject: first", " folded", "Other: b"}) + "Subject: partial";
}

TEST(InputFailureTest, ReadFailureAfterSomeLines) {
  const Fd in = failing_after(before_failure());
  EXPECT_TRUE(finished(run_from({"Subject:"}, in.get()), 2,
                       written({"Subject: first", " folded", "Subject: partial"}),
                       report("stdin", expected::kBrokenInput)));
}

TEST(InputFailureTest, ReadFailureReportedBeforeOutputFailure) {
  const Fd in = failing_after(before_failure());
  const Fd full = open_path("/dev/full", O_WRONLY);
  EXPECT_TRUE(finished(
      run_into({"Subject:"}, in.get(), full.get()), 2, "",
      report("stdin", expected::kBrokenInput) + report("stdout", "No space left on device")));
}

// The report goes out at once; selected lines wait in the block for the end.
TEST(InputFailureTest, ReportComesBeforeBufferedLines) {
  const Fd in = failing_after(before_failure());
  Pipe both = make_pipe();
  Child child = start({"Subject:"}, {in.get(), both.write.get(), both.write.get()});
  EXPECT_TRUE(finished(collect_errors(child, both), 2, "",
                       report("stdin", expected::kBrokenInput) +
                           written({"Subject: first", " folded", "Subject: partial"})));
}

// Output that cannot be written: the input is still read to its end.

struct Sample {
  std::string input;
  std::string output;
};

// Megabytes of mostly selected lines, so the program is still writing long
// after any pipe of the test's has filled.
Sample numbered_fields(std::size_t count) {
  Sample sample;
  for (std::size_t n = 0; n < count; ++n) {
    sample.input += mail({numbered_field(n)});
    sample.output += written({numbered_field(n)});
    if (n % 8 == 7) sample.input += mail({"X-Sequence: " + std::to_string(n)});
  }
  return sample;
}

// Descriptors left non-blocking by whoever started the program: a read that
// finds the pipe empty and a write that finds it full are waited out, and
// nothing is lost.
TEST(InputKindTest, NonBlockingPipesLoseNothing) {
  if (expected::kWindows) GTEST_SKIP() << "Windows has no non-blocking anonymous pipes";
  const Sample sample = numbered_fields(1000);  // about 100 KB out: more than a pipe holds
  Pipe in = make_pipe();
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  for (const int fd : {in.read.get(), out.write.get()}) {
    ASSERT_EQ(fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK), 0);
  }
  Child child = start({"Subject:"}, {in.read.get(), out.write.get(), err.write.get()});
  in.read.reset();
  const Feeder feeder(std::move(in.write), sample.input, {16384, kPause});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the output pipe fills meanwhile
  EXPECT_TRUE(finished(collect(child, out, err), 0, sample.output, ""));
}

struct OutputFailureCase {
  std::string label;
  const char* device;  // nullptr: stdout closed
  std::string description;
};

void PrintTo(const OutputFailureCase& c, std::ostream* os) { *os << c.label; }

class OutputFailureTest : public testing::TestWithParam<OutputFailureCase> {};

TEST_P(OutputFailureTest, ReportedOnceInputIsRead) {
  const Fd input = file_holding(numbered_fields(1000).input);
  const Fd out = GetParam().device != nullptr ? open_path(GetParam().device, O_WRONLY) : Fd();
  EXPECT_TRUE(finished(run_into({"Subject:"}, input.get(), out.get()), 2, "",
                       report("stdout", GetParam().description)));
  EXPECT_EQ(file_offset(input.get()), file_size(input.get()));
}

INSTANTIATE_TEST_SUITE_P(
    Stdout, OutputFailureTest,
    testing::Values(OutputFailureCase{"FullDevice", "/dev/full", "No space left on device"},
                    OutputFailureCase{"Closed", nullptr, "Bad file descriptor"}),
    label_of<OutputFailureCase>);

// How stdout's kind shows in the writes a run makes: a file and the null
// device, which nobody watches, take large blocks; a pipe or socket 4 KiB
// blocks, so that a live reader sees them fill; a terminal or any other
// character device gets each line.
struct OutputKindCase {
  std::string label;
  const char* device;  // nullptr: a regular file; "pty": a terminal; "socket"
  long writes;         // kPipeBlocks: one a 4 KiB block
};

constexpr long kPipeBlocks = -1;

void PrintTo(const OutputKindCase& c, std::ostream* os) { *os << c.label; }

class OutputKindTest : public testing::TestWithParam<OutputKindCase> {};

Fd output_of_kind(std::string_view device, Pty& pty, Fd& peer) {
  if (device == "pty") {
    pty = make_raw_pty();
    return std::move(pty.slave);
  }
  if (device == "socket") {
    std::array<int, 2> ends{};
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends.data()), 0);
    peer = Fd(ends[0]);  // holds the 6 KB unread
    return Fd(ends[1]);
  }
  return device.empty() ? file_holding("") : open_path(std::string(device).c_str(), O_WRONLY);
}

TEST_P(OutputKindTest, WritesAsTheKindWants) {
  if (expected::kWindows) GTEST_SKIP() << "Wine's own writes would be counted too";
  const Sample sample = numbered_fields(60);  // 6 KB out: more than one small block
  const Fd input = file_holding(sample.input);
  Pty pty;
  Fd peer;
  const Fd out = output_of_kind(GetParam().device != nullptr ? GetParam().device : "", pty, peer);
  const Outcome got = run_into({"Subject:"}, input.get(), out.get());
  EXPECT_TRUE(finished(got, 0, "", ""));
  // A sanitizer's runtime makes writes of its own: a run with nothing to
  // write counts them.
  const Fd nothing = file_holding("");
  const Outcome idle = run_into({"Subject:"}, nothing.get(), out.get());
  const long blocks = static_cast<long>((sample.output.size() + kBlockSize - 1) / kBlockSize);
  EXPECT_EQ(got.exit.write_calls - idle.exit.write_calls,
            GetParam().writes == kPipeBlocks ? blocks : GetParam().writes);
}

INSTANTIATE_TEST_SUITE_P(Stdout, OutputKindTest,
                         testing::Values(OutputKindCase{"File", nullptr, 1},
                                         OutputKindCase{"NullDevice", "/dev/null", 1},
                                         OutputKindCase{"Socket", "socket", kPipeBlocks},
                                         OutputKindCase{"Terminal", "pty", 60},
                                         OutputKindCase{"OtherDevice", "/dev/zero", 60}),
                         label_of<OutputKindCase>);

// A reader that goes away is no failure of ours.

TEST(ReaderGoneTest, BeforeTheStart) {
  const Fd input = file_holding(numbered_fields(40'000).input);
  Pipe out = make_pipe();
  out.read.reset();
  EXPECT_TRUE(finished(run_into({"Subject:"}, input.get(), out.write.get()), 0, "", ""));
  EXPECT_EQ(file_offset(input.get()), file_size(input.get()));
}

TEST(ReaderGoneTest, AfterTheFirstBlock) {
  const Sample sample = numbered_fields(40'000);
  const Fd input = file_holding(sample.input);
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start({"Subject:"}, {input.get(), out.write.get(), err.write.get()});
  out.write.reset();
  EXPECT_EQ(read_up_to(out.read.get(), kBlockSize), sample.output.substr(0, kBlockSize));
  out.read.reset();
  EXPECT_TRUE(finished(collect_errors(child, err), 0, "", ""));
  EXPECT_EQ(file_offset(input.get()), file_size(input.get()));
}

// Memory stays bounded on a line that never ends.

struct MemoryCase {
  std::string label;
  std::string start;
};

void PrintTo(const MemoryCase& c, std::ostream* os) { *os << c.label; }

class MemoryTest : public testing::TestWithParam<MemoryCase> {};

constexpr std::size_t kEndlessLine = std::size_t{256} << 20;
constexpr long kMemoryAllowanceKib = 16 * 1024;

// stdin gets start and then filler bytes, size in all, none a line feed;
// stdout is /dev/null.
Outcome run_on_line(std::string_view start_bytes, std::size_t size) {
  Pipe in = make_pipe();
  Pipe err = make_pipe();
  const Fd null = open_path("/dev/null", O_WRONLY);
  Child child = start({"Subject:"}, {in.read.get(), null.get(), err.write.get()});
  in.read.reset();
  const std::string filler(std::size_t{1} << 20, 'x');
  bool fed = write_all(in.write.get(), start_bytes);
  for (std::size_t sent = start_bytes.size(); fed && sent < size; sent += filler.size()) {
    fed = write_all(in.write.get(), std::string_view(filler).substr(0, size - sent));
  }
  EXPECT_TRUE(fed) << "the program stopped reading";
  in.write.reset();
  return collect_errors(child, err);
}

// wait4 counts in a child's peak the memory of the test process it was forked
// from, so the bound is over the peak of a run on empty input.
TEST_P(MemoryTest, StaysBoundedOnALineWithoutEnd) {
  const Outcome empty = run_on_line("", 0);
  const Outcome got = run_on_line(GetParam().start, kEndlessLine);
  EXPECT_TRUE(finished(empty, 0, "", ""));
  EXPECT_TRUE(finished(got, 0, "", ""));
  EXPECT_LT(got.exit.peak_rss_kib, empty.exit.peak_rss_kib + kMemoryAllowanceKib);
}

INSTANTIATE_TEST_SUITE_P(EndlessLine, MemoryTest,
                         testing::Values(MemoryCase{"Selected", "Subject: "},
                                         MemoryCase{"NotSelected", "Other: "}),
                         label_of<MemoryCase>);

}  // namespace
}  // namespace fieldsift::e2e
