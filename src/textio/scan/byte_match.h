// SPDX-License-Identifier: BSD-2-Clause
#pragma once

namespace fieldsift {

// Which bytes a scan looks for: those that, with mask set, equal value. The
// scans apply it without knowing why; whoever hands one out knows.
struct ByteMatch {
  unsigned char value;
  unsigned char mask;
};

}  // namespace fieldsift
