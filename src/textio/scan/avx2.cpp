// SPDX-License-Identifier: BSD-2-Clause
// The kernels for x86 processors with AVX2, two 32-byte registers a step in the
// scans: compiled for AVX2, helpers forced inline, run only where it is had.

#if defined(__SSE2__)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "bytes/ascii.h"
#include "textio/scan/kernel_set.h"

namespace fieldsift {
namespace {

#include "textio/scan/block_kernels.h"

constexpr std::size_t kRegister = sizeof(__m256i);

template <std::size_t W>
[[gnu::always_inline]] inline std::uint64_t bits_of(const typename Lanes<W>::Mask& m) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(std::bit_cast<__m256i>(m)));
}

template <std::size_t W>
[[gnu::always_inline]] inline bool any(const typename Lanes<W>::Mask& m) {
  const auto r = std::bit_cast<__m256i>(m);
  return _mm256_testz_si256(r, r) == 0;
}

}  // namespace

extern const KernelSet kAvx2Kernels = {"avx2",
                                       find_line_start<kRegister>,
                                       find_empty_line<kRegister>,
                                       find_line_start_among<kRegister>,
                                       find_line_feed<kRegister>,
                                       find_escape<kRegister>,
                                       find_escape_padded<kRegister>,
                                       add_cr_before_lf<kRegister>};

}  // namespace fieldsift

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
