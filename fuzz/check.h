#pragma once

// Checks of the fuzz targets. A failed check aborts, so libFuzzer keeps the
// input as a crash; the message says which property broke and where.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fieldsift::fuzz {

[[noreturn]] inline void fail(std::string_view what) {
  std::fprintf(stderr, "\nfieldsift fuzz check failed: %.*s\n", static_cast<int>(what.size()),
               what.data());
  std::abort();
}

inline void check(bool ok, std::string_view what) {
  if (!ok) fail(what);
}

// Prints up to 16 bytes from offset `from` as hex.
inline void print_bytes(const char* label, std::string_view bytes, std::size_t from) {
  std::fprintf(stderr, "  %s (%zu bytes) at %zu:", label, bytes.size(), from);
  for (std::size_t i = from; i < std::min(bytes.size(), from + 16); ++i)
    std::fprintf(stderr, " %02x", static_cast<unsigned char>(bytes[i]));
  std::fprintf(stderr, "\n");
}

// Equal bytes, or the first difference on stderr and an abort.
inline void check_equal(std::string_view actual, std::string_view expected, std::string_view what) {
  if (actual == expected) return;
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const auto at = static_cast<std::size_t>(a - actual.begin());
  (void)e;
  std::fprintf(stderr, "first difference at byte %zu\n", at);
  print_bytes("actual", actual, at);
  print_bytes("expected", expected, at);
  fail(what);
}

}  // namespace fieldsift::fuzz
