// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <string_view>

#include "bytes/ascii.h"

namespace fieldsift {

// Whether a file's long name matches the last part of a wildcard pattern:
// * stands for any run of bytes, ? for one byte, and an ASCII letter for
// itself in either case, as Windows compares names. A name the system found
// only through its short 8.3 form ("d.emlx" as "D~1.EML") does not match.
// As on Windows, "*.*" is every name, one with no dot in it too.
[[nodiscard]] constexpr bool name_matches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") pattern = "*";
  // The last * seen: where it stands in the pattern, and where in the name
  // the run it stands for would end if the match after it fails.
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  std::size_t p = 0;
  for (std::size_t n = 0; n < name.size();) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || fold_case(pattern[p]) == fold_case(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;  // the last * takes one more byte; nothing before it need change
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace fieldsift
