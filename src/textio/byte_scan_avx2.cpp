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
  for (; end - p > 64; p += 64) {
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

}  // namespace fieldsift
#endif
