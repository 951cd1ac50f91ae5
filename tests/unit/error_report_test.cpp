#include "textio/error_report.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <clocale>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/platform_expectations.h"
#include "support/scripted_channel.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

using testing::ScriptedChannel;

// Standard error as the programs set it up: its stage a fixed area.
struct ReportStream {
  explicit ReportStream(StreamMode mode) : text(channel, stage, mode) {}
  ScriptedChannel channel{StreamKind::Pipe};
  std::array<unsigned char, kReportStageSize> area{};
  StreamBuffer stage{area};
  TextOutput text;
};

struct ReportCase {
  const char* what;
  std::string name;  // empty: a report with no name, "stdin: description"
  std::string shown;
  std::size_t writes;
};

// A report is one write, in either mode, so that programs sharing standard
// error never interleave theirs; only one longer than the composing area
// takes more. A name's control bytes each show as '?'.
TEST(ErrorReportTest, OneWriteAndOneLineWhateverTheName) {
  const std::string longest(kReportLineSize - std::string_view("headsift: : No such file\n").size(),
                            'n');
  const std::vector<ReportCase> cases = {
      {"no name", "", "stdin: Is a directory", 1},
      {"a plain name", "in.mbox", "headsift: in.mbox: No such file", 1},
      {"a line feed", "a\nb.eml", "headsift: a?b.eml: No such file", 1},
      {"CR LF at the end", "a.eml\r\n", "headsift: a.eml??: No such file", 1},
      {"tab, escape, 0x1A, DEL", "\t\x1b[2J\x1a\x7f", "headsift: ??[2J??: No such file", 1},
      {"UTF-8 and other 8-bit bytes", "\xc3\xa9\x80\xff",
       "headsift: \xc3\xa9\x80\xff: No such file", 1},
      {"space and printable ASCII", " ~!", "headsift:  ~!: No such file", 1},
      {"as long as goes in one write", longest, "headsift: " + longest + ": No such file", 1},
      {"a byte longer", longest + "n", "headsift: " + longest + "n: No such file", 2},
  };
  for (const StreamMode mode : {StreamMode::Text, StreamMode::Binary}) {
    for (const ReportCase& c : cases) {
      ReportStream err(mode);
      if (c.name.empty()) {
        report_error(err.text, "stdin", EISDIR);
      } else {
        report_error(err.text, "headsift", c.name, "No such file");
      }
      const std::string end = mode == StreamMode::Text ? "\r\n" : "\n";
      EXPECT_EQ(err.channel.written(), c.shown + end) << c.what;
      EXPECT_EQ(err.channel.pieces().size(), c.writes) << c.what;
    }
  }
}

TEST(ErrorReportTest, DescriptionsAreFixedAndLocaleFree) {
  (void)std::setlocale(LC_ALL, "");  // whatever the environment asks for must not matter
  // Both platforms' tables word these alike, under each one's own numbers.
  std::vector<expected::ErrorText> cases = {
      {EIO, "Input/output error"},
      {EBADF, "Bad file descriptor"},
      {EACCES, "Permission denied"},
      {EISDIR, "Is a directory"},
      {ENOSPC, "No space left on device"},
      {EPIPE, "Broken pipe"},
      {EDEADLK, "Resource deadlock avoided"},
      {ENOLCK, "No locks available"},
      {-1, "Unknown error"},
      {1000, "Unknown error"},
  };
  const std::span<const expected::ErrorText> own = expected::error_texts();
  cases.insert(cases.end(), own.begin(), own.end());
  for (const auto& [error, text] : cases) EXPECT_EQ(error_description(error), text) << error;
  (void)std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace fieldsift
