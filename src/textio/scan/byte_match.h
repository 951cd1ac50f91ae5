// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>

namespace fieldsift {

// Which bytes a scan looks for: those that, with mask set, equal value. The
// scans apply it without knowing why; whoever hands one out knows.
struct ByteMatch {
  unsigned char value;
  unsigned char mask;
};

// Which bytes a scan looks for, any of a set: those whose entry is true.
// A set that up to four matches make may be given as them too, all four in
// use (repeat one to want fewer): a scan then tests a block at a time.
// Where the first `distinct` matches are all there are, the rest repeating
// them, and all four have one mask, a scan may set it once for them all.
struct ByteSet {
  std::array<bool, 256> members{};
  std::array<ByteMatch, 4> matches{};
  bool by_matches = false;  // the matches are the members
  bool one_mask = false;
  unsigned char distinct = 4;
};

// Which bytes a scan of text for a writer's escapes stops at: those below
// below, those above above, and those equal to one of equal (repeat a byte
// to want fewer). below 0 and above 0xFF stop at none.
struct EscapeSet {
  unsigned char below;
  unsigned char above;
  std::array<unsigned char, 4> equal;
};

}  // namespace fieldsift
