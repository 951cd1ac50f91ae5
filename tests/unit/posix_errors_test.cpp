// POSIX only: what a failed read or write tells the program, and the texts
// the report gives each number.

#include "textio/platform/posix_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

struct Failure {
  int error;
  int on_read;
  int on_write;
};

TEST(PlatformPosixErrorsTest, ReadAndWriteFailures) {
  const std::vector<Failure> cases = {
      {EACCES, EBADF, EACCES},  // a read refused for lack of access: a bad descriptor
      {EPERM, EBADF, EPERM},   {ECONNRESET, ECONNRESET, EPIPE},  // a stream socket's reader gone
      {EPIPE, EPIPE, EPIPE},   {EIO, EIO, EIO},
      {EFBIG, EFBIG, EFBIG},   {ENOTCONN, ENOTCONN, ENOTCONN},
  };
  for (const Failure& c : cases) {
    EXPECT_EQ(read_failure(c.error), c.on_read) << c.error;
    EXPECT_EQ(write_failure(c.error), c.on_write) << c.error;
  }
}

// Every number the C library has a text for reads as it does in the C
// locale (the tests run in it); every other one as "Unknown error".
TEST(PlatformPosixErrorsTest, EveryNumberReadsAsTheCLibrarySaysIt) {
  for (int error = -2; error < 300; ++error) {
    const std::string library = std::strerror(error);
    const bool unknown = library.starts_with("Unknown error");
    EXPECT_EQ(error_description(error), unknown ? std::string_view("Unknown error") : library)
        << error;
  }
}

}  // namespace
}  // namespace fieldsift
