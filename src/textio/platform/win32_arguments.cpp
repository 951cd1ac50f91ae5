// SPDX-License-Identifier: BSD-2-Clause
// The program's own expansion of wildcards on Windows, where cmd.exe leaves
// them to it.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>

#include "textio/platform/name_pattern.h"
#include "textio/platform/platform.h"
#include "textio/platform/win32_errors.h"

namespace fieldsift {

namespace {

bool has_wildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

// How much of a pattern names its directory: up to its last separator.
std::size_t directory_part(const char* pattern) {
  std::size_t part = 0;
  for (std::size_t i = 0; pattern[i] != '\0'; ++i) {
    if (pattern[i] == '\\' || pattern[i] == '/' || pattern[i] == ':') part = i + 1;
  }
  return part;
}

// The system's search answers every entry whose long or short name its own
// rule matches, folders among them; a file is what the last part matches by
// its long name alone.
bool is_match(const WIN32_FIND_DATAA& found, std::string_view last_part) {
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         name_matches(last_part, found.cFileName);
}

// A found name with its directory in front, ended by a NUL; false when it
// does not fit.
bool join(std::span<char> into, std::string_view directory, std::string_view file) {
  if (directory.size() + file.size() >= into.size()) return false;
  std::memcpy(into.data(), directory.data(), directory.size());
  std::memcpy(into.data() + directory.size(), file.data(), file.size());
  into[directory.size() + file.size()] = '\0';
  return true;
}

}  // namespace

ArgumentFiles::~ArgumentFiles() {
  if (search_ != 0) (void)FindClose(reinterpret_cast<HANDLE>(search_));
}

ArgumentFiles::File ArgumentFiles::next() {
  if (done_) return {nullptr, 0};
  if (!has_wildcard(argument_)) {
    done_ = true;
    return {argument_, 0};
  }
  const bool first = search_ == 0;  // no file handed out yet
  WIN32_FIND_DATAA found{};
  bool more = true;
  if (first) {
    const HANDLE search = FindFirstFileA(argument_, &found);
    if (search == INVALID_HANDLE_VALUE) {
      done_ = true;
      return {argument_, crt_error_number(GetLastError())};
    }
    search_ = reinterpret_cast<std::intptr_t>(search);
  } else {
    more = FindNextFileA(reinterpret_cast<HANDLE>(search_), &found) != 0;
  }
  const std::size_t directory = directory_part(argument_);
  while (more && !is_match(found, argument_ + directory))
    more = FindNextFileA(reinterpret_cast<HANDLE>(search_), &found) != 0;
  if (!more) {
    done_ = true;
    // Folders alone, or names only their short forms matched: as if none matched.
    return first ? File{argument_, ENOENT} : File{nullptr, 0};
  }
  if (!join(name_, {argument_, directory}, found.cFileName)) return {argument_, ENAMETOOLONG};
  return {name_.data(), 0};
}

}  // namespace fieldsift
