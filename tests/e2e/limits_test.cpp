// The program under the limits and setups a hostile user may give it: too
// little memory, a file size limit, its output as its own input, sockets.
// Where these are Linux's own, they are tested on a native Linux build only.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "e2e/harness.h"
#include "support/header_model.h"
#include "support/row_model.h"

namespace fieldsift::e2e {
namespace {

constexpr const char* kSample = FIELDSIFT_SOURCE_DIR "/examples/sample.mbox";
constexpr const char* kSampleSubjects = FIELDSIFT_SOURCE_DIR "/tests/data/sample.Subject.expected";

bool native_linux() { return !expected::kWindows && !expected::kEmulated; }

// A plain native Linux build: no runtime of sanitizers or coverage counters,
// which limits on memory and files would upset, beside the program.
bool plain_native_linux() { return native_linux() && FIELDSIFT_INSTRUMENTED == 0; }

// Starts the program through wrapper: a shell that first sets a limit, or
// env with the given variables.
Child start_wrapped(std::vector<std::string> wrapper, std::vector<std::string> args,
                    StdDescriptors fds, const char* program = kFieldsift) {
  wrapper.emplace_back(program);
  wrapper.insert(wrapper.end(), args.begin(), args.end());
  return Child::start(wrapper, fds);
}

Outcome run_sample(const std::vector<std::string>& wrapper, std::vector<std::string> args,
                   const char* program = kFieldsift) {
  const Fd input = open_path(kSample, O_RDONLY);
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start_wrapped(wrapper, std::move(args),
                              {input.get(), out.write.get(), err.write.get()}, program);
  return collect(child, out, err);
}

// What each program must write for the sample, and how its reports end.
struct SampleRun {
  const char* program;
  std::vector<std::string> args;
  std::string output;
  std::string_view line_end;
};

std::vector<SampleRun> sample_runs() {
  return {{kFieldsift, {"Subject:"}, contents_of(kSampleSubjects), "\r\n"},
          {kHeadsift, {}, model::header_blocks(contents_of(kSample)), "\n"},
          {kHeadsift,
           {"-f", "subject,from,date", "--json"},
           *model::rows(model::Rows::Json, contents_of(kSample), "stdin", "subject,from,date"),
           "\n"}};
}

std::vector<std::string> under_ulimit(const std::string& option) {
  return {"/bin/sh", "-c", "ulimit " + option + " && exec \"$@\"", "sh"};
}

// At every limit of address space the program either does its whole job or
// stops with one report and status 2; below some limit the loader itself
// gives up before the program starts (status 127). Never a signal.
TEST(MemoryLimitTest, EveryAddressSpaceLimitEndsCleanly) {
  if (!plain_native_linux()) GTEST_SKIP() << "a plain native Linux build only";
  for (const SampleRun& run : sample_runs()) {
    int whole = 0;
    for (int kib = 1024; kib <= 8192; kib += 16) {
      const Outcome o =
          run_sample(under_ulimit("-v " + std::to_string(kib)), run.args, run.program);
      ASSERT_EQ(o.exit.signal, 0) << run.program << ", " << kib << " KiB: " << o.err;
      if (o.exit.code == 127) continue;
      if (o.exit.code == 0) {
        ASSERT_TRUE(finished(o, 0, run.output, "")) << run.program << ", " << kib << " KiB";
        ++whole;
        continue;
      }
      ASSERT_EQ(o.exit.code, 2) << run.program << ", " << kib << " KiB";
      ASSERT_EQ(o.err.find(run.line_end), o.err.size() - run.line_end.size())
          << run.program << ", " << kib << " KiB: " << o.err;
    }
    EXPECT_GT(whole, 0) << run.program;
  }
}

// Every buffer the program can do without is replaced by a small one; the
// line buffer a name longer than it needs cannot be.
TEST(MemoryLimitTest, RefusedAllocationsGiveTheSameBytesOrOneReport) {
  if (!plain_native_linux()) GTEST_SKIP() << "a plain native Linux build only";
  for (const char* from : {"4000", "60000", "100000"}) {
    const std::vector<std::string> env = {"env", "LD_PRELOAD=" FIELDSIFT_REFUSE_ALLOC,
                                          std::string("FIELDSIFT_REFUSE_FROM=") + from};
    for (const SampleRun& run : sample_runs()) {
      EXPECT_TRUE(finished(run_sample(env, run.args, run.program), 0, run.output, ""))
          << run.program << ", " << from;
    }
    EXPECT_TRUE(finished(run_sample(env, {std::string(120'000, 'x')}), 2, "",
                         report("fieldsift", "Cannot allocate memory")))
        << from;
  }
}

// A report is composed in a fixed area of its own, never on the heap: with
// every allocation refused, each still goes out in one write, so that runs
// sharing standard error (xargs -P) never cut into each other's.
TEST(MemoryLimitTest, EachReportIsOneWriteWhenNoMemoryIsGiven) {
  if (!plain_native_linux()) GTEST_SKIP() << "a plain native Linux build only";
  const std::vector<std::string> refuse_all = {"env", "LD_PRELOAD=" FIELDSIFT_REFUSE_ALLOC,
                                               "FIELDSIFT_REFUSE_FROM=1"};
  const std::string missing = FIELDSIFT_SOURCE_DIR "/tests/no such file ";
  const Fd directory = open_path(FIELDSIFT_SOURCE_DIR, O_RDONLY | O_DIRECTORY);
  const struct {
    const char* program;
    std::vector<std::string> args;
    int in;
    std::string err;
  } runs[] = {
      {kHeadsift,
       {missing + "a", missing + "b"},
       kClosed,
       "headsift: " + missing + "a: No such file or directory\n" + "headsift: " + missing +
           "b: No such file or directory\n"},
      {kFieldsift, {"Subject:"}, directory.get(), report("stdin", "Is a directory")},
      {kFieldsift,
       {std::string(120'000, 'x')},
       kClosed,
       report("fieldsift", "Cannot allocate memory")},
  };
  for (const auto& run : runs) {
    const Fd out = file_holding("");
    Pipe err = make_pipe();
    Child child =
        start_wrapped(refuse_all, run.args, {run.in, out.get(), err.write.get()}, run.program);
    const Outcome got = collect_errors(child, err);
    EXPECT_TRUE(finished(got, 2, "", run.err)) << run.program;
    EXPECT_EQ(got.exit.write_calls,
              static_cast<long>(std::count(run.err.begin(), run.err.end(), '\n')))
        << run.program << ": one write a report";
  }
}

// A value too long to hold leaves its row out, with one report for its
// input; the rows of the messages around it are written whole.
TEST(MemoryLimitTest, ValueThatCannotBeHeldLeavesItsRowOut) {
  if (!plain_native_linux()) GTEST_SKIP() << "a plain native Linux build only";
  const std::string around = "From a\nSubject: short\n\n";
  const std::string input =
      around + "From b\nSubject: " + std::string(300'000, 'x') + "\n\n" + around;
  const Fd file = file_holding(input);
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child =
      start_wrapped({"env", "LD_PRELOAD=" FIELDSIFT_REFUSE_ALLOC, "FIELDSIFT_REFUSE_FROM=200000"},
                    {"-f", "subject"}, {file.get(), out.write.get(), err.write.get()}, kHeadsift);
  const std::string row = "stdin\t0\tshort\n";
  EXPECT_TRUE(finished(collect(child, out, err), 2,
                       row + "stdin\t" + std::to_string(input.size() - around.size()) + "\tshort\n",
                       "headsift: stdin: Cannot allocate memory\n"));
}

// The system's converter of a charset is a module the C library maps when
// it is first opened. Where the address space has no room for it, the row
// is left out with one report: never written with its word undecoded, as if
// the system had no converter for the charset.
TEST(MemoryLimitTest, ConverterWithoutRoomIsReported) {
  if (!plain_native_linux()) GTEST_SKIP() << "a plain native Linux build only";
  const std::string input = "Subject: =?shift_jis?B?k/qWe4zqgsyMj5a8?=\n\n";
  const std::string row = "stdin\t0\t\u65e5\u672c\u8a9e\u306e\u4ef6\u540d\n";
  const auto run = [&input](const std::vector<std::string>& wrapper) {
    const Fd file = file_holding(input);
    Pipe out = make_pipe();
    Pipe err = make_pipe();
    Child child = start_wrapped(wrapper, {"-f", "subject", "--decode"},
                                {file.get(), out.write.get(), err.write.get()}, kHeadsift);
    return collect(child, out, err);
  };
  if (!finished(run({"env"}), 0, row, "")) GTEST_SKIP() << "no converter here for Shift_JIS";
  int reported = 0;
  for (int kib = 1024; kib <= 6144; kib += 16) {
    const Outcome o = run(under_ulimit("-v " + std::to_string(kib)));
    if (o.exit.signal == 0 && o.exit.code == 127) continue;  // the loader gave up
    if (o.exit.signal == 0 && o.exit.code == 0) {
      ASSERT_TRUE(finished(o, 0, row, "")) << kib << " KiB";
      continue;
    }
    // Under the tightest limits even the list of columns finds no room, and
    // nothing is read.
    if (o.err == "headsift: Cannot allocate memory\n" && o.exit.code == 2) continue;
    ASSERT_TRUE(finished(o, 2, "", "headsift: stdin: Cannot allocate memory\n")) << kib << " KiB";
    ++reported;
  }
  EXPECT_GT(reported, 0) << "no limit left the converter without room";
}

// A file size limit makes a write fail like any other, after the input has
// been read to its end.
TEST(FileSizeLimitTest, WritePastTheLimitIsReported) {
  if (!plain_native_linux()) GTEST_SKIP() << "a plain native Linux build only";
  std::string input;
  for (int n = 0; n < 4000; ++n) input += "Subject: line " + std::to_string(n) + " of many\n";
  const Fd in = file_holding(input);
  const Fd out = file_holding("");
  Pipe err = make_pipe();
  Child child =
      start_wrapped(under_ulimit("-f 20"), {"Subject:"}, {in.get(), out.get(), err.write.get()});
  EXPECT_TRUE(finished(collect_errors(child, err), 2, "", report("stdout", "File too large")));
  EXPECT_EQ(file_offset(in.get()), file_size(in.get()));
}

// Input that is the program's own output would grow without end, or be
// written over before it is read.
TEST(SameFileTest, InputThatIsAlsoTheOutputIsRefused) {
  const std::string text = mail({"Subject: one", " two", "Other: three"});
  for (const int flags : {O_WRONLY | O_APPEND, O_RDWR}) {  // >> f and 1<> f
    const Fd file = file_holding(text);
    const std::string again = "/proc/self/fd/" + std::to_string(file.get());
    const Fd out = open_path(again.c_str(), flags);
    EXPECT_TRUE(finished(run_into({"Subject:"}, file.get(), out.get()), 2, "",
                         report("stdin", "Input file is also the output")))
        << flags;
    EXPECT_EQ(file_size(file.get()), static_cast<off_t>(text.size()));
    EXPECT_EQ(file_offset(file.get()), 0);
  }
}

// Both ends of one pipe: the program would wait for bytes only it can write.
TEST(SameFileTest, PipeThatIsAlsoTheOutputIsRefused) {
  if (expected::kWindows) GTEST_SKIP() << "a Linux pipe's two ends";
  Pipe both = make_pipe();
  Pipe err = make_pipe();
  Child child = start({"Subject:"}, {both.read.get(), both.write.get(), err.write.get()});
  EXPECT_TRUE(finished(collect_errors(child, err), 2, "",
                       report("stdin", "Input file is also the output")));
}

TEST(SameFileTest, TruncatedOutputLeavesNothingToRead) {
  const Fd file = file_holding(mail({"Subject: one"}));
  const std::string again = "/proc/self/fd/" + std::to_string(file.get());
  const Fd out = open_path(again.c_str(), O_WRONLY | O_TRUNC);  // > f
  EXPECT_TRUE(finished(run_into({"Subject:"}, file.get(), out.get()), 0, "", ""));
  EXPECT_EQ(file_size(file.get()), 0);
}

// A TCP socket of the test's on loopback: listening, or connected to one.
Fd tcp_socket() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  EXPECT_GE(fd, 0);
  return Fd(fd);
}

sockaddr_in loopback_of(int fd) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the sockets API's own type
  EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size), 0);
  return address;
}

Fd listening_socket() {
  Fd fd = tcp_socket();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the sockets API's own type
  EXPECT_EQ(bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(listen(fd.get(), 1), 0);
  return fd;
}

TEST(SocketTest, ListeningSocketAsInput) {
  if (expected::kWindows) GTEST_SKIP() << "a Linux socket";
  const Fd listening = listening_socket();
  EXPECT_TRUE(finished(run_from({"Subject:"}, listening.get()), 2, "",
                       report("stdin", "Transport endpoint is not connected")));
}

// A reader that resets the connection has gone away, as one that closes a pipe has.
TEST(SocketTest, ReaderThatResetsTheConnection) {
  if (expected::kWindows) GTEST_SKIP() << "a Linux socket";
  const Fd listening = listening_socket();
  const Fd client = tcp_socket();
  sockaddr_in address = loopback_of(listening.get());
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the sockets API's own type
  ASSERT_EQ(connect(client.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  {
    const Fd server(accept4(listening.get(), nullptr, nullptr, SOCK_CLOEXEC));
    const linger abort_at_close{1, 0};  // closing sends a reset
    ASSERT_EQ(
        setsockopt(server.get(), SOL_SOCKET, SO_LINGER, &abort_at_close, sizeof abort_at_close), 0);
  }
  ASSERT_TRUE(readable_within(client.get(), kPatience));  // the reset has arrived
  const Fd input = open_path(kSample, O_RDONLY);
  EXPECT_TRUE(finished(run_into({"Subject:"}, input.get(), client.get()), 0, "", ""));
}

// A 0x1A that settles a CR ends piped input there and then: the program
// does not wait for bytes the mark would drop.
TEST(TextModeTest, MarkThatSettlesACrEndsPipedInputAtOnce) {
  Pipe in = make_pipe();
  Pipe out = make_pipe();
  Pipe err = make_pipe();
  Child child = start({"Subject:"}, {in.read.get(), out.write.get(), err.write.get()});
  in.read.reset();
  ASSERT_TRUE(write_all(in.write.get(), "Subject: a\r"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(write_all(in.write.get(), "\x1a"));
  const auto marked = std::chrono::steady_clock::now();
  out.write.reset();
  // Read to the output's end, which comes when the program ends.
  const std::string got = read_arriving(out.read.get(), kPatience, kPatience);
  EXPECT_LT(std::chrono::steady_clock::now() - marked, std::chrono::seconds(2));
  EXPECT_EQ(got, "Subject: a\r\r\n");
  in.write.reset();
  EXPECT_TRUE(finished(collect_errors(child, err), 0, "", ""));
}

}  // namespace
}  // namespace fieldsift::e2e
