#include "textio/error_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <string>
#include <vector>

#include "support/scripted_channel.h"
#include "textio/platform.h"

namespace fieldsift {
namespace {

using testing::ScriptedChannel;

TEST(ErrorReportTest, FourUnbufferedPieces) {
  ScriptedChannel channel(StreamKind::Pipe);
  TextStream err{channel};
  report_error(err, "stdin", EISDIR);
  EXPECT_EQ(channel.pieces(), (std::vector<std::string>{"stdin", ": ", "Is a directory", "\r\n"}));
}

TEST(ErrorReportTest, DescriptionsAreFixedAndLocaleFree) {
  (void)std::setlocale(LC_ALL, "");  // whatever the environment asks for must not matter
  const std::vector<std::pair<int, std::string_view>> cases = {
      {0, "Success"},
      {5, "Input/output error"},
      {9, "Bad file descriptor"},
      {13, "Permission denied"},
      {21, "Is a directory"},
      {28, "No space left on device"},
      {32, "Broken pipe"},
      {42, "No message of desired type"},
      {-1, "Unknown error"},
      {43, "Unknown error"},
      {1000, "Unknown error"},
  };
  for (const auto& [error, text] : cases) EXPECT_EQ(error_description(error), text) << error;
  (void)std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace fieldsift
