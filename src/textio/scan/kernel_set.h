// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>

#include "textio/scan/byte_match.h"

namespace fieldsift {

// How many bytes past a range a padded scan may read.
inline constexpr std::size_t kScanPadding = 64;

// The byte kernels of the hot path for one kind of processor: pure functions
// over byte ranges, a block of bytes at a time. Bytes at end and beyond are
// never read, but by the padded scan, which says how far.
struct KernelSet {
  const char* name;
  // The first byte in (begin, end) that follows a LF and matches first; end
  // if none. Lines nobody wants are passed over so, only their starts looked at.
  const unsigned char* (*find_line_start)(const unsigned char* begin, const unsigned char* end,
                                          ByteMatch first);
  // The first byte in (begin, end) that starts an empty line: one that
  // follows a LF and is a LF, or a CR with a LF after it; end if none. A
  // header's end is found so, its lines looked at once, in whole blocks.
  const unsigned char* (*find_empty_line)(const unsigned char* begin, const unsigned char* end);
  // The first byte in (begin, end) that follows a LF and is one of a set,
  // or starts an empty line; end if none. Each line start is looked at
  // once: for the lines of a header up to its end, few of which are wanted.
  const unsigned char* (*find_line_start_among)(const unsigned char* begin,
                                                const unsigned char* end, const ByteSet& first);
  // The first LF in [begin, end); end if none. Most lines of a header are
  // short: the 2W bytes from begin are looked at in one step, without the
  // size checks of a general search.
  const unsigned char* (*find_line_feed)(const unsigned char* begin, const unsigned char* end);
  // The first byte in [begin, end) that the set stops at; end if none. Most
  // values a row writes hold none: it passes them a block at a time.
  const unsigned char* (*find_escape)(const unsigned char* begin, const unsigned char* end,
                                      const EscapeSet& set);
  // The same where the kScanPadding bytes from end may be read too (they
  // lie in the caller's buffer): a range no longer than them in one step of
  // so many bytes, a longer one a block a step, without a short one at the end.
  const unsigned char* (*find_escape_padded)(const unsigned char* begin, const unsigned char* end,
                                             const EscapeSet& set);
  // Copies n bytes from src to dst, apart, with a CR put in before each LF;
  // answers the bytes written, and writes nothing past dst + 2n.
  std::size_t (*add_cr_before_lf)(const unsigned char* src, std::size_t n, unsigned char* dst);
};

// A set built into the program, and whether this processor can run it.
struct BuiltKernels {
  const KernelSet* set;
  bool runs_here;
};

// Every set built in, the fastest first.
[[nodiscard]] std::span<const BuiltKernels> built_kernels() noexcept;

// The first set that runs here.
[[nodiscard]] const KernelSet& choose_kernels() noexcept;

// The set the program uses: the portable one until the program's start
// has chosen the first that runs here (choose_kernels), then that one. A
// plain pointer, read on every scan: a local static's guard would be tested
// each time.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): set once, at the start
extern const KernelSet* active_kernel_set;
[[nodiscard]] inline const KernelSet& active_kernels() { return *active_kernel_set; }

}  // namespace fieldsift
