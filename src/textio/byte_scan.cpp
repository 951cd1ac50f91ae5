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

// Block at src + in, whose dropped CRs are the bits of drops (at least one),
// copied to dst + out piece by piece; answers the new out.
std::size_t copy_around(const unsigned char* src, std::size_t in, std::uint32_t drops,
                        unsigned char* dst, std::size_t out) {
  std::size_t from = in;  // the piece waiting to be copied starts here
  Block piece;
  for (; drops != 0; drops &= drops - 1) {
    const std::size_t cr = in + lowest(drops);
    load(piece, src + from);
    store(dst + out, piece);
    out += cr - from;
    from = cr + 1;
  }
  load(piece, src + from);
  store(dst + out, piece);
  return out + in + kBlockSize - from;
}

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

const unsigned char* find_line_start(const unsigned char* begin, const unsigned char* end,
                                     unsigned char key) {
#if defined(__SSE2__)
  if (has_avx2()) return find_line_start_avx2(begin, end, key);
#endif
  const unsigned char* p = begin;
  // Each step looks at the sixteen bytes from p and the sixteen after each of them.
  while (end - p > static_cast<std::ptrdiff_t>(kBlockSize)) {
    Block here;
    Block next;
    load(here, p);
    load(next, p + 1);
    const Mask hits = (here == '\n') & ((next | 0x20) == key);
    if (any(hits)) return p + lowest(bits_of(hits)) + 1;
    p += kBlockSize;
  }
  for (; end - p > 1; ++p) {
    if (*p == '\n' && (p[1] | 0x20) == key) return p + 1;
  }
  return end;
}

const unsigned char* find_either(const unsigned char* begin, const unsigned char* end,
                                 unsigned char a, unsigned char b) {
#if defined(__SSE2__)
  if (has_avx2()) return find_either_avx2(begin, end, a, b);
#endif
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

Dropped drop_cr_before_lf(const unsigned char* src, std::size_t n, unsigned char* dst,
                          unsigned char stop) {
  std::size_t in = 0;   // bytes of src handled; a multiple of kBlockSize in the loop
  std::size_t out = 0;  // bytes written to dst; out <= in
#if defined(__SSE2__)
  if (has_avx2()) {
    const DroppedSteps done = drop_cr_before_lf_avx2(src, n, dst, stop);
    in = done.in;
    out = done.out;
  }
#endif
  // Sixteen bytes a step, whatever they hold, so that the next step's loads
  // need not wait for this one. Stores may run up to 32 bytes past out; the
  // following steps write over what is not kept.
  while (n - in > 2 * kBlockSize) {
    Block block;
    Block next;
    load(block, src + in);
    if (any(block == stop)) break;
    load(next, src + in + 1);
    const std::uint32_t drops = bits_of((block == '\r') & (next == '\n'));
    if ((drops & (drops - 1)) != 0) {
      out = copy_around(src, in, drops, dst, out);  // short lines: more than one CR LF
    } else {
      // No CR to drop, or one: the bytes after it close the gap.
      const std::size_t cr = lowest(drops | 1U << kBlockSize);
      store(dst + out, block);
      load(next, src + in + cr + 1);
      store(dst + out + cr, next);
      out += kBlockSize - (drops != 0 ? 1 : 0);
    }
    in += kBlockSize;
  }
  for (; in < n && src[in] != stop; ++in) {
    if (src[in] == '\r' && in + 1 < n && src[in + 1] == '\n') continue;
    dst[out++] = src[in];
  }
  return {out, in};
}

namespace {

// The first CR at or after from that a LF follows, or the first stop byte,
// or end.
unsigned char* next_pair(unsigned char* from, unsigned char* end, unsigned char stop) {
  for (unsigned char* p = from; p != end; ++p) {
    p += find_either(p, end, '\r', stop) - p;
    if (p == end || *p == stop) return p;
    if (end - p > 1 && p[1] == '\n') return p;
  }
  return end;
}

}  // namespace

// Until kDropLead bytes have been left out, the block steps could store over
// bytes they have yet to read; till then the runs between pairs are moved
// one at a time.
Dropped drop_cr_before_lf_in_place(unsigned char* bytes, std::size_t n, unsigned char stop) {
  unsigned char* const end = bytes + n;
  unsigned char* in = bytes;   // bytes before in are handled
  unsigned char* out = bytes;  // out <= in; bytes before out are kept
  while (in - out < static_cast<std::ptrdiff_t>(kDropLead)) {
    unsigned char* const at = next_pair(in, end, stop);
    const auto run = static_cast<std::size_t>(at - in);
    if (out != in) std::memmove(out, in, run);
    out += run;
    if (at == end || *at == stop) {
      return {static_cast<std::size_t>(out - bytes), static_cast<std::size_t>(at - bytes)};
    }
    in = at + 1;
  }
  const Dropped rest = drop_cr_before_lf(in, static_cast<std::size_t>(end - in), out, stop);
  return {static_cast<std::size_t>(out - bytes) + rest.kept,
          static_cast<std::size_t>(in - bytes) + rest.read};
}

std::size_t add_cr_before_lf(const unsigned char* src, std::size_t n, unsigned char* dst) {
  std::size_t in = 0;   // bytes of src handled; a multiple of kBlockSize in the loop
  std::size_t out = 0;  // bytes written to dst; out <= 2 * in
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
