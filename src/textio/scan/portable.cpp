// SPDX-License-Identifier: BSD-2-Clause
// The kernels for any processor: sixteen-byte blocks, no processor's own instruction.

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

// A word's bytes in memory order from its low end: a big-endian machine
// keeps the first byte at the high end.
std::uint64_t low_first(std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::big) return __builtin_bswap64(word);
  return word;
}

// Gathers the top bit of each byte into the top byte of a product, eight
// bytes at a time, as no instruction here does it.
template <std::size_t W>
std::uint64_t bits_of(const typename Lanes<W>::Mask& m) {
  constexpr std::uint64_t kTopBits = 0x8080808080808080U;
  constexpr std::uint64_t kGather = 0x0002040810204081U;
  constexpr int kTopByte = 56;
  std::array<std::uint64_t, W / 8> words{};
  std::memcpy(words.data(), &m, W);
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < words.size(); ++i)
    bits |= (((low_first(words[i]) & kTopBits) * kGather) >> kTopByte) << (8 * i);
  return bits;
}

template <std::size_t W>
bool any(const typename Lanes<W>::Mask& m) {
  std::array<std::uint64_t, W / 8> words{};
  std::memcpy(words.data(), &m, W);
  return std::any_of(words.begin(), words.end(), [](std::uint64_t word) { return word != 0; });
}

}  // namespace

extern const KernelSet kPortableKernels = {
    "portable",         find_line_start<16>, find_empty_line<16>,    find_line_start_among<16>,
    find_line_feed<16>, find_escape<16>,     find_escape_padded<16>, add_cr_before_lf<16>};

}  // namespace fieldsift
