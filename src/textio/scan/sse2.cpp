// SPDX-License-Identifier: BSD-2-Clause
// The kernels for x86 processors with SSE2 (every x86-64 one): sixteen-byte blocks.

#if defined(__SSE2__)
#include <emmintrin.h>

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

template <std::size_t W>
std::uint64_t bits_of(const typename Lanes<W>::Mask& m) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(std::bit_cast<__m128i>(m)));
}

template <std::size_t W>
bool any(const typename Lanes<W>::Mask& m) {
  return bits_of<W>(m) != 0;
}

}  // namespace

extern const KernelSet kSse2Kernels = {"sse2",
                                       find_line_start<16>,
                                       find_empty_line<16>,
                                       find_line_start_among<16>,
                                       find_line_feed<16>,
                                       find_escape<16>,
                                       find_escape_padded<16>,
                                       add_cr_before_lf<16>};

}  // namespace fieldsift
#endif
