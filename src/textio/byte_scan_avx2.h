// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// The byte scans once more, 32 or 64 bytes a step, for x86 processors with
// AVX2: twice the width of the baseline's vectors halves the loads and
// compares of each byte. Same contracts as in byte_scan.h; call only where
// has_avx2().

#include <cstddef>

namespace fieldsift {

[[nodiscard]] bool has_avx2();

[[nodiscard]] const unsigned char* find_line_start_avx2(const unsigned char* begin,
                                                        const unsigned char* end,
                                                        unsigned char key);

[[nodiscard]] const unsigned char* find_either_avx2(const unsigned char* begin,
                                                    const unsigned char* end, unsigned char a,
                                                    unsigned char b);

// Stops at the first step that holds `stop`; answers the bytes of src
// handled (a multiple of 32) and of dst written.
struct DroppedSteps {
  std::size_t in;
  std::size_t out;
};
[[nodiscard]] DroppedSteps drop_cr_before_lf_avx2(const unsigned char* src, std::size_t n,
                                                  unsigned char* dst, unsigned char stop);

}  // namespace fieldsift
