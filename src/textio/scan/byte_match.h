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
struct ByteSet {
  std::array<bool, 256> members{};
};

}  // namespace fieldsift
