// SPDX-License-Identifier: BSD-2-Clause
#include "textio/byte_scan.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>  // the one instruction plain vector code cannot name

#include "textio/byte_scan_avx2.h"
#endif

namespace fieldsift {
namespace {

// Sixteen bytes handled at once; the compiler maps this onto the machine's
// vector registers where it has them and onto plain words where it has not.
using Block = unsigned char __attribute__((vector_size(16)));
using Mask = signed char __attribute__((vector_size(16)));

constexpr std::size_t kBlockSize = sizeof(Block);

// Blocks travel by reference: a machine without vector registers passes
// them by value differently from one with them.
void load(Block& b, const unsigned char* p) { std::memcpy(&b, p, sizeof b); }

void store(unsigned char* p, const Block& b) { std::memcpy(p, &b, sizeof b); }

// One bit for each byte of a mask, the first byte's in bit 0.
#if defined(__SSE2__)
std::uint32_t bits_of(const Mask& m) {
  __m128i v;
  std::memcpy(&v, &m, sizeof v);
  return static_cast<std::uint32_t>(_mm_movemask_epi8(v));
}
#else
// Without the instruction for it: gathers the top bit of each byte into
// the top byte of a product, eight bytes at a time. The product counts a
// word's bytes from its low end; on a big-endian machine that is the last
// byte in memory, so the word's bytes are put in memory order first.
std::uint64_t low_first(std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::big) return __builtin_bswap64(word);
  return word;
}

std::uint32_t bits_of(const Mask& m) {
  std::array<std::uint64_t, 2> halves{};
  std::memcpy(halves.data(), &m, sizeof halves);
  constexpr std::uint64_t kTopBits = 0x8080808080808080U;
  constexpr std::uint64_t kGather = 0x0002040810204081U;
  const auto low = static_cast<std::uint32_t>(((low_first(halves[0]) & kTopBits) * kGather) >> 56);
  const auto high = static_cast<std::uint32_t>(((low_first(halves[1]) & kTopBits) * kGather) >> 56);
  return low | high << 8;
}
#endif

bool any(const Mask& m) {
  std::array<std::uint64_t, 2> halves{};
  std::memcpy(halves.data(), &m, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

std::size_t lowest(std::uint32_t bits) { return static_cast<std::size_t>(__builtin_ctz(bits)); }

// Block at src + in, with a CR put in before each LF (the bits of lfs, at
// least one), copied to dst + out piece by piece; answers the new out.
std::size_t copy_with_crs(const unsigned char* src, std::size_t in, std::uint32_t lfs,
                          unsigned char* dst, std::size_t out) {
  std::size_t from = in;  // the piece waiting to be copied starts here, at a LF but for the first
  Block piece;
  for (; lfs != 0; lfs &= lfs - 1) {
    const std::size_t lf = in + lowest(lfs);
    load(piece, src + from);
    store(dst + out, piece);
    out += lf - from;
    dst[out++] = '\r';
    from = lf;
  }
  load(piece, src + from);
  store(dst + out, piece);
  return out + in + kBlockSize - from;
}

}  // namespace

const unsigned char* first_of(const unsigned char* p, std::uint64_t starts, std::uint64_t stops) {
  const auto at = static_cast<std::size_t>(__builtin_ctzll(starts | stops));
  return p + at + (((stops >> at) & 1U) != 0 ? 0 : 1);
}

const unsigned char* find_line_start(const unsigned char* begin, const unsigned char* end,
                                     unsigned char key, unsigned char stop) {
#if defined(__SSE2__)
  if (has_avx2()) return find_line_start_avx2(begin, end, key, stop);
#endif
  const unsigned char* p = begin;
  // Each step looks at the sixteen bytes from p and the sixteen after each of them.
  while (end - p > static_cast<std::ptrdiff_t>(kBlockSize)) {
    Block here;
    Block next;
    load(here, p);
    load(next, p + 1);
    const Mask starts = (here == '\n') & ((next | 0x20) == key);
    const Mask stops = here == stop;
    if (any(starts | stops)) return first_of(p, bits_of(starts), bits_of(stops));
    p += kBlockSize;
  }
  for (; p != end; ++p) {
    if (*p == stop) return p;
    if (end - p > 1 && *p == '\n' && (p[1] | 0x20) == key) return p + 1;
  }
  return end;
}

namespace {

// Kept out of line, so that where the AVX2 scan is the one that runs, its
// callers carry only the choice.
__attribute__((noinline)) const unsigned char* find_either_portable(const unsigned char* begin,
                                                                    const unsigned char* end,
                                                                    unsigned char a,
                                                                    unsigned char b) {
  const unsigned char* p = begin;
  for (; end - p >= static_cast<std::ptrdiff_t>(kBlockSize); p += kBlockSize) {
    Block bytes;
    load(bytes, p);
    const Mask hits = (bytes == a) | (bytes == b);
    if (any(hits)) return p + lowest(bits_of(hits));
  }
  for (; p != end; ++p) {
    if (*p == a || *p == b) return p;
  }
  return end;
}

}  // namespace

const unsigned char* find_either(const unsigned char* begin, const unsigned char* end,
                                 unsigned char a, unsigned char b) {
#if defined(__SSE2__)
  if (has_avx2()) return find_either_avx2(begin, end, a, b);
#endif
  return find_either_portable(begin, end, a, b);
}

std::size_t add_cr_before_lf(const unsigned char* src, std::size_t n, unsigned char* dst) {
  std::size_t in = 0;   // bytes of src handled; a multiple of kBlockSize in the loop
  std::size_t out = 0;  // bytes written to dst; out <= 2 * in
#if defined(__SSE2__)
  if (has_avx2()) {
    const Steps done = add_cr_before_lf_avx2(src, n, dst);
    in = done.in;
    out = done.out;
  }
#endif
  // Sixteen bytes a step, whatever they hold. Stores may run up to 34 bytes
  // past out; the following steps write over what is not kept, and none
  // reaches dst + 2n.
  while (n - in >= 2 * kBlockSize) {
    Block block;
    load(block, src + in);
    const std::uint32_t lfs = bits_of(block == '\n');
    if ((lfs & (lfs - 1)) != 0) {
      out = copy_with_crs(src, in, lfs, dst, out);  // short lines: more than one LF
    } else {
      // No LF, or one: the bytes from it on move up one for the CR.
      const std::size_t lf = lowest(lfs | 1U << kBlockSize);
      Block rest;
      load(rest, src + in + lf);
      store(dst + out, block);
      store(dst + out + lf + 1, rest);
      dst[out + lf] = '\r';
      out += kBlockSize + (lfs != 0 ? 1 : 0);
    }
    in += kBlockSize;
  }
  for (; in < n; ++in) {
    if (src[in] == '\n') dst[out++] = '\r';
    dst[out++] = src[in];
  }
  return out;
}

}  // namespace fieldsift
