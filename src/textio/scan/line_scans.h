// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>

#include "bytes/ascii.h"
#include "textio/scan/byte_match.h"
#include "textio/scan/kernel_set.h"

namespace fieldsift {

// The scans as their callers use them, over spans, through the kernels the
// program chose: the one door to them. Inline, as they stand in the loops
// of the reader, the message rule and the field scanner, where a call of
// their own would cost as much as they do.

// Where the first line start after bytes' first byte is whose first byte is
// one of first, or that starts an empty line (a LF, or a CR and a LF): its
// index, or bytes.size() if none.
[[nodiscard]] inline std::size_t find_line_start_among(std::span<const unsigned char> bytes,
                                                       const ByteSet& first) {
  const unsigned char* const begin = bytes.data();
  return static_cast<std::size_t>(
      active_kernels().find_line_start_among(begin, begin + bytes.size(), first) - begin);
}

// Where the first empty line after bytes' first byte starts (a LF, or a CR
// and a LF, after a LF): its index, or bytes.size() if none.
[[nodiscard]] inline std::size_t find_empty_line(std::span<const unsigned char> bytes) {
  const unsigned char* const begin = bytes.data();
  return static_cast<std::size_t>(active_kernels().find_empty_line(begin, begin + bytes.size()) -
                                  begin);
}

// Where the first LF of bytes is: its index, or bytes.size() if none.
[[nodiscard]] inline std::size_t find_line_feed(std::span<const unsigned char> bytes) {
  const unsigned char* const begin = bytes.data();
  return static_cast<std::size_t>(active_kernels().find_line_feed(begin, begin + bytes.size()) -
                                  begin);
}

// Where the first byte of bytes that the set stops at is: its index, or
// bytes.size() if none.
[[nodiscard]] inline std::size_t find_escape(std::span<const unsigned char> bytes,
                                             const EscapeSet& set) {
  const unsigned char* const begin = bytes.data();
  return static_cast<std::size_t>(active_kernels().find_escape(begin, begin + bytes.size(), set) -
                                  begin);
}

// The same for bytes after which kScanPadding more may be read.
[[nodiscard]] inline std::size_t find_escape_padded(std::span<const unsigned char> bytes,
                                                    const EscapeSet& set) {
  const unsigned char* const begin = bytes.data();
  return static_cast<std::size_t>(
      active_kernels().find_escape_padded(begin, begin + bytes.size(), set) - begin);
}

// Copies bytes to into, which has room for twice as many, with a CR put in
// before each LF; answers the bytes written.
[[nodiscard]] inline std::size_t add_cr_before_lf(std::span<const unsigned char> bytes,
                                                  unsigned char* into) {
  return active_kernels().add_cr_before_lf(bytes.data(), bytes.size(), into);
}

// Where a pass over whole lines stops within bytes: at the start of the first
// line whose first byte matches, or at their end. at_line_start says whether
// the first of the bytes begins a line.
struct PassOver {
  std::size_t stop;  // bytes passed over
  bool found;        // a line that matches begins at stop
  bool line_start;   // not found: the bytes end with a LF, so a line begins next
};

[[nodiscard]] inline PassOver pass_over_lines(std::span<const unsigned char> bytes,
                                              bool at_line_start, ByteMatch first) {
  if (bytes.empty()) return {0, false, at_line_start};
  if (at_line_start && (bytes[0] | first.mask) == first.value) return {0, true, true};
  const unsigned char* const begin = bytes.data();
  const unsigned char* const end = begin + bytes.size();
  const unsigned char* const start = active_kernels().find_line_start(begin, end, first);
  if (start != end) return {static_cast<std::size_t>(start - begin), true, true};
  return {bytes.size(), false, bytes.back() == kLineFeed};
}

}  // namespace fieldsift
