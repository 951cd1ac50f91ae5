#include "textio/error_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <span>
#include <string>
#include <vector>

#include "support/platform_expectations.h"
#include "support/scripted_channel.h"
#include "support/scripted_streams.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

using testing::ScriptedChannel;

TEST(ErrorReportTest, FourUnbufferedPieces) {
  ScriptedChannel channel(StreamKind::Pipe);
  testing::ScriptedOutput err(channel);
  report_error(err.text, "stdin", EISDIR);
  EXPECT_EQ(channel.pieces(), (std::vector<std::string>{"stdin", ": ", "Is a directory", "\r\n"}));
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
