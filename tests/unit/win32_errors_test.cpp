// Windows only: what a failed ReadFile or WriteFile tells the program.

#include "textio/platform/win32_errors.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <vector>

namespace fieldsift {
namespace {

struct Failure {
  unsigned long system_error;
  int on_read;  // 0: end of input
  int on_write;
};

TEST(PlatformWin32ErrorsTest, ReadAndWriteFailures) {
  const std::vector<Failure> cases = {
      {ERROR_BROKEN_PIPE, 0, EPIPE},
      {ERROR_NO_DATA, EINVAL, EPIPE},
      {ERROR_PIPE_NOT_CONNECTED, EINVAL, EPIPE},
      {ERROR_ACCESS_DENIED, EBADF, EBADF},
      {ERROR_INVALID_HANDLE, EBADF, EBADF},
      {ERROR_NOT_ENOUGH_MEMORY, ENOMEM, ENOMEM},
      {ERROR_DISK_FULL, ENOSPC, ENOSPC},
      {ERROR_HANDLE_DISK_FULL, ENOSPC, ENOSPC},
      {ERROR_INVALID_FUNCTION, EINVAL, EINVAL},
      {ERROR_LOCK_VIOLATION, EACCES, EACCES},
      {ERROR_GEN_FAILURE, EACCES, EACCES},  // within the runtime's range of access errors
      {ERROR_NOT_ENOUGH_QUOTA, ENOMEM, ENOMEM},
      {ERROR_OPERATION_ABORTED, EINVAL, EINVAL},  // unknown to the runtime
  };
  for (const Failure& c : cases) {
    EXPECT_EQ(read_failure(c.system_error), c.on_read) << c.system_error;
    EXPECT_EQ(write_failure(c.system_error), c.on_write) << c.system_error;
  }
}

TEST(PlatformWin32ErrorsTest, RangesEndWhereTheRuntimesDo) {
  EXPECT_EQ(crt_error_number(ERROR_WRITE_PROTECT - 1), ENOENT);  // ERROR_NO_MORE_FILES
  EXPECT_EQ(crt_error_number(ERROR_WRITE_PROTECT), EACCES);
  EXPECT_EQ(crt_error_number(ERROR_SHARING_BUFFER_EXCEEDED), EACCES);
  EXPECT_EQ(crt_error_number(ERROR_SHARING_BUFFER_EXCEEDED + 1), EINVAL);
  EXPECT_EQ(crt_error_number(ERROR_INVALID_STARTING_CODESEG - 1), EINVAL);
  EXPECT_EQ(crt_error_number(ERROR_INVALID_STARTING_CODESEG), ENOEXEC);
  EXPECT_EQ(crt_error_number(ERROR_INFLOOP_IN_RELOC_CHAIN), ENOEXEC);
  EXPECT_EQ(crt_error_number(ERROR_INFLOOP_IN_RELOC_CHAIN + 1), EINVAL);
}

}  // namespace
}  // namespace fieldsift
