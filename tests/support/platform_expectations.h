#pragma once

// The one place where what the tests expect differs by platform. Each
// platform describes errors in its own C library's words and numbering, and
// refuses some operations for reasons of its own. FIELDSIFT_TARGET_WINDOWS
// (0 or 1, from the build) tells which platform the program under test is for.

#include <array>
#include <span>
#include <string_view>

namespace fieldsift::expected {

inline constexpr bool kWindows = FIELDSIFT_TARGET_WINDOWS != 0;

#if defined(FIELDSIFT_EMULATOR)
// A Linux program for another processor, run under qemu's user-mode emulation.
inline constexpr bool kEmulated = std::string_view(FIELDSIFT_EMULATOR).size() != 0;
#else
inline constexpr bool kEmulated = false;
#endif

struct ErrorText {
  int error;
  std::string_view text;
};

// Numbers whose texts differ between the two tables.
inline constexpr std::array<ErrorText, 6> kPosixTexts = {{
    {0, "Success"},
    {12, "Cannot allocate memory"},
    {15, "Block device required"},
    {41, "Unknown error"},
    {42, "No message of desired type"},
    {43, "Identifier removed"},
}};
inline constexpr std::array<ErrorText, 6> kWindowsTexts = {{
    {0, "No error"},
    {12, "Not enough space"},
    {15, "Unknown error"},
    {41, "Directory not empty"},
    {42, "Illegal byte sequence"},
    {43, "Unknown error"},
}};

inline std::span<const ErrorText> error_texts() {
  return kWindows ? std::span<const ErrorText>(kWindowsTexts)
                  : std::span<const ErrorText>(kPosixTexts);
}

// Reading a directory: Linux refuses with EISDIR; Windows with
// ERROR_INVALID_FUNCTION, which its C runtime numbers EINVAL.
inline constexpr std::string_view kDirectoryRead = kWindows ? "Invalid argument" : "Is a directory";

// Reading on after the source of the input broke down: on Linux the master
// of a pseudo-terminal whose slave has gone (EIO); for Windows a connection
// reset by its peer, ERROR_PIPE_NOT_CONNECTED, which the runtime numbers EINVAL.
inline constexpr std::string_view kBrokenInput =
    kWindows ? "Invalid argument" : "Input/output error";

}  // namespace fieldsift::expected
