// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// The byte scans once more, 32 or 64 bytes a step, for x86 processors with
// AVX2: twice the width of the baseline's vectors halves the loads and
// compares of each byte. Same contracts as in byte_scan.h; call only where
// has_avx2().

#include <cstddef>
#include <cstdint>

namespace fieldsift {

[[nodiscard]] bool has_avx2();

[[nodiscard]] const unsigned char* find_line_start_avx2(const unsigned char* begin,
                                                        const unsigned char* end, unsigned char key,
                                                        unsigned char stop);

[[nodiscard]] const unsigned char* find_either_avx2(const unsigned char* begin,
                                                    const unsigned char* end, unsigned char a,
                                                    unsigned char b);

// Puts a CR in before each LF, as add_cr_before_lf does, while 64 bytes or
// more of src are left; answers the bytes of src handled (a multiple of 32)
// and of dst written.
struct Steps {
  std::size_t in;
  std::size_t out;
};
[[nodiscard]] Steps add_cr_before_lf_avx2(const unsigned char* src, std::size_t n,
                                          unsigned char* dst);

// Of a step at p, the line start after the first LF of starts or the first
// byte of stops, whichever comes first; the bits of either are not all 0.
[[nodiscard]] const unsigned char* first_of(const unsigned char* p, std::uint64_t starts,
                                            std::uint64_t stops);

}  // namespace fieldsift
