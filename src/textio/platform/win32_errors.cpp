// SPDX-License-Identifier: BSD-2-Clause
#include "textio/platform/win32_errors.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>

#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

struct ErrorPair {
  unsigned long system_error;
  int crt_error;
};

// The C runtime's own table (_dosmaperr), in order of the system codes.
constexpr auto kCrtErrors = std::to_array<ErrorPair>({
    {ERROR_INVALID_FUNCTION, EINVAL},    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},      {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_ACCESS_DENIED, EACCES},       {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_ARENA_TRASHED, ENOMEM},       {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_INVALID_BLOCK, ENOMEM},       {ERROR_BAD_ENVIRONMENT, E2BIG},
    {ERROR_BAD_FORMAT, ENOEXEC},         {ERROR_INVALID_ACCESS, EINVAL},
    {ERROR_INVALID_DATA, EINVAL},        {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_CURRENT_DIRECTORY, EACCES},   {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_NO_MORE_FILES, ENOENT},       {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},  // ours: the runtime leaves it to EINVAL
    {ERROR_BAD_NETPATH, ENOENT},         {ERROR_NETWORK_ACCESS_DENIED, EACCES},
    {ERROR_BAD_NET_NAME, ENOENT},        {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_CANNOT_MAKE, EACCES},         {ERROR_FAIL_I24, EACCES},
    {ERROR_INVALID_PARAMETER, EINVAL},   {ERROR_NO_PROC_SLOTS, EAGAIN},
    {ERROR_DRIVE_LOCKED, EACCES},        {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_DISK_FULL, ENOSPC},           {ERROR_INVALID_TARGET_HANDLE, EBADF},
    {ERROR_WAIT_NO_CHILDREN, ECHILD},    {ERROR_CHILD_NOT_COMPLETE, ECHILD},
    {ERROR_DIRECT_ACCESS_HANDLE, EBADF}, {ERROR_NEGATIVE_SEEK, EINVAL},
    {ERROR_SEEK_ON_DEVICE, EACCES},      {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_NOT_LOCKED, EACCES},          {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_MAX_THRDS_REACHED, EAGAIN},   {ERROR_LOCK_FAILED, EACCES},
    {ERROR_ALREADY_EXISTS, EEXIST},      {ERROR_FILENAME_EXCED_RANGE, ENOENT},
    {ERROR_NESTING_NOT_ALLOWED, EAGAIN}, {ERROR_NOT_ENOUGH_QUOTA, ENOMEM},
});

bool within(unsigned long code, unsigned long first, unsigned long last) {
  return code >= first && code <= last;
}

}  // namespace

int crt_error_number(unsigned long system_error) {
  const auto* hit = std::find_if(kCrtErrors.begin(), kCrtErrors.end(), [&](const ErrorPair& p) {
    return p.system_error == system_error;
  });
  if (hit != kCrtErrors.end()) return hit->crt_error;
  // Whole ranges the runtime maps without listing them.
  if (within(system_error, ERROR_WRITE_PROTECT, ERROR_SHARING_BUFFER_EXCEEDED)) return EACCES;
  if (within(system_error, ERROR_INVALID_STARTING_CODESEG, ERROR_INFLOOP_IN_RELOC_CHAIN)) {
    return ENOEXEC;
  }
  return EINVAL;
}

int read_failure(unsigned long system_error) {
  if (system_error == ERROR_BROKEN_PIPE) return 0;
  // Reading a handle not opened for it is a bad descriptor, not a permission.
  if (system_error == ERROR_ACCESS_DENIED) return kBadDescriptor;
  return crt_error_number(system_error);
}

int write_failure(unsigned long system_error) {
  switch (system_error) {
    case ERROR_BROKEN_PIPE:         // the reader has closed its end
    case ERROR_NO_DATA:             // the pipe is being closed
    case ERROR_PIPE_NOT_CONNECTED:  // nobody is at the other end
      return EPIPE;
    case ERROR_ACCESS_DENIED:
      return kBadDescriptor;
    default:
      return crt_error_number(system_error);
  }
}

std::string_view error_description(int error) {
  // The Windows C runtime's texts for its own numbers, kept here so that no
  // locale or runtime version can change them.
  static constexpr auto kTexts = std::to_array<std::string_view>({
      "No error",
      "Operation not permitted",
      "No such file or directory",
      "No such process",
      "Interrupted function call",
      "Input/output error",
      "No such device or address",
      "Arg list too long",
      "Exec format error",
      "Bad file descriptor",
      "No child processes",
      "Resource temporarily unavailable",
      "Not enough space",
      "Permission denied",
      "Bad address",
      "Unknown error",
      "Resource device",
      "File exists",
      "Improper link",
      "No such device",
      "Not a directory",
      "Is a directory",
      "Invalid argument",
      "Too many open files in system",
      "Too many open files",
      "Inappropriate I/O control operation",
      "Unknown error",
      "File too large",
      "No space left on device",
      "Invalid seek",
      "Read-only file system",
      "Too many links",
      "Broken pipe",
      "Domain error",
      "Result too large",
      "Unknown error",
      "Resource deadlock avoided",
      "Unknown error",
      "Filename too long",
      "No locks available",
      "Function not implemented",
      "Directory not empty",
      "Illegal byte sequence",
  });
  static_assert(kTexts.size() == 43, "the runtime's table runs from 0 to 42");
  if (error < 0 || static_cast<std::size_t>(error) >= kTexts.size()) return "Unknown error";
  return kTexts[static_cast<std::size_t>(error)];
}

}  // namespace fieldsift
