// SPDX-License-Identifier: BSD-2-Clause
#include "textio/byte_scan_avx2.h"

#if defined(__SSE2__)
#include <immintrin.h>

#include <cstdint>

#define FIELDSIFT_AVX2 __attribute__((target("avx2")))

namespace fieldsift {
namespace {

using Bits = std::uint64_t;  // one bit per byte of a step, the first byte's in bit 0

FIELDSIFT_AVX2 __m256i load(const unsigned char* p) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the intrinsic takes this type
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

FIELDSIFT_AVX2 void store(unsigned char* p, __m256i bytes) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the intrinsic takes this type
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), bytes);
}

FIELDSIFT_AVX2 __m256i splat(unsigned char c) { return _mm256_set1_epi8(static_cast<char>(c)); }

FIELDSIFT_AVX2 Bits bits_of(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         static_cast<Bits>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

FIELDSIFT_AVX2 __m256i either(const unsigned char* p, __m256i a, __m256i b) {
  const __m256i bytes = load(p);
  return _mm256_or_si256(_mm256_cmpeq_epi8(bytes, a), _mm256_cmpeq_epi8(bytes, b));
}

std::ptrdiff_t lowest(Bits bits) { return __builtin_ctzll(bits); }

}  // namespace

bool has_avx2() {
  static const bool kHas = __builtin_cpu_supports("avx2");
  return kHas;
}

namespace {

// The line feeds among the 32 bytes at p whose next byte, with bit 0x20 set, is key.
FIELDSIFT_AVX2 __m256i line_starts(const unsigned char* p, __m256i key) {
  const __m256i lf = _mm256_cmpeq_epi8(load(p), splat('\n'));
  return _mm256_and_si256(lf, _mm256_cmpeq_epi8(_mm256_or_si256(load(p + 1), splat(0x20)), key));
}

}  // namespace

FIELDSIFT_AVX2 const unsigned char* find_line_start_avx2(const unsigned char* begin,
                                                         const unsigned char* end,
                                                         unsigned char key, unsigned char stop) {
  const __m256i want = splat(key);
  const __m256i halt = splat(stop);
  const unsigned char* p = begin;
  // Each step reads the 64 bytes from p and the one after them.
  const unsigned char* const last = end - p > 64 ? end - 64 : p;  // steps start before it
  for (; p < last; p += 64) {
    const __m256i low = line_starts(p, want);
    const __m256i high = line_starts(p + 32, want);
    const __m256i low_stops = _mm256_cmpeq_epi8(load(p), halt);
    const __m256i high_stops = _mm256_cmpeq_epi8(load(p + 32), halt);
    const __m256i any =
        _mm256_or_si256(_mm256_or_si256(low, high), _mm256_or_si256(low_stops, high_stops));
    if (_mm256_testz_si256(any, any) == 0) {
      return first_of(p, bits_of(low, high), bits_of(low_stops, high_stops));
    }
  }
  for (; p != end; ++p) {
    if (*p == stop) return p;
    if (end - p > 1 && *p == '\n' && (p[1] | 0x20) == key) return p + 1;
  }
  return end;
}

FIELDSIFT_AVX2 const unsigned char* find_either_avx2(const unsigned char* begin,
                                                     const unsigned char* end, unsigned char a,
                                                     unsigned char b) {
  const __m256i va = splat(a);
  const __m256i vb = splat(b);
  const unsigned char* p = begin;
  for (; end - p >= 64; p += 64) {
    const __m256i low = either(p, va, vb);
    const __m256i high = either(p + 32, va, vb);
    const __m256i any = _mm256_or_si256(low, high);
    if (_mm256_testz_si256(any, any) == 0) return p + lowest(bits_of(low, high));
  }
  for (; p != end; ++p) {
    if (*p == a || *p == b) return p;
  }
  return end;
}

namespace {

// The 32 bytes at src + in, with a CR put in before each LF (the bits of
// lfs, more than one), copied to dst + out piece by piece; answers the new out.
FIELDSIFT_AVX2 std::size_t copy_with_crs(const unsigned char* src, std::size_t in, Bits lfs,
                                         unsigned char* dst, std::size_t out) {
  std::size_t from = in;  // the piece waiting to be copied starts here, at a LF but for the first
  for (; lfs != 0; lfs &= lfs - 1) {
    const std::size_t lf = in + static_cast<std::size_t>(lowest(lfs));
    store(dst + out, load(src + from));
    out += lf - from;
    dst[out++] = '\r';
    from = lf;
  }
  store(dst + out, load(src + from));
  return out + in + 32 - from;
}

}  // namespace

// 32 bytes a step, whatever they hold. Stores may run up to 65 bytes past
// out; the following steps write over what is not kept, and none reaches
// dst + 2n.
FIELDSIFT_AVX2 Steps add_cr_before_lf_avx2(const unsigned char* src, std::size_t n,
                                           unsigned char* dst) {
  std::size_t in = 0;   // a multiple of 32
  std::size_t out = 0;  // out <= 2 * in
  while (n - in >= 64) {
    const __m256i block = load(src + in);
    const Bits lfs =
        static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, splat('\n'))));
    if ((lfs & (lfs - 1)) != 0) {
      out = copy_with_crs(src, in, lfs, dst, out);  // short lines: more than one LF
    } else {
      // No LF, or one: the bytes from it on move up one for the CR.
      const auto lf = static_cast<std::size_t>(lowest(lfs | Bits{1} << 32));
      store(dst + out, block);
      store(dst + out + lf + 1, load(src + in + lf));
      dst[out + lf] = '\r';
      out += 32 + (lfs != 0 ? 1 : 0);
    }
    in += 32;
  }
  return {in, out};
}

}  // namespace fieldsift
#endif
