#include "textio/byte_scan_avx2.h"

#if defined(__SSE2__)
#include <immintrin.h>

#include <cstdint>

#define FIELDSIFT_AVX2 __attribute__((target("avx2")))

namespace fieldsift {
namespace {

using Bits = std::uint64_t;  // one bit per byte of a step, the first byte's in bit 0

FIELDSIFT_AVX2 __m256i load(const unsigned char* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

FIELDSIFT_AVX2 __m256i splat(unsigned char c) { return _mm256_set1_epi8(static_cast<char>(c)); }

FIELDSIFT_AVX2 Bits bits_of(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         static_cast<Bits>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

// The line feeds among the 32 bytes at p whose next byte, with bit 0x20 set, is key.
FIELDSIFT_AVX2 __m256i line_starts(const unsigned char* p, __m256i key) {
  const __m256i lf = _mm256_cmpeq_epi8(load(p), splat('\n'));
  return _mm256_and_si256(lf, _mm256_cmpeq_epi8(_mm256_or_si256(load(p + 1), splat(0x20)), key));
}

FIELDSIFT_AVX2 __m256i either(const unsigned char* p, __m256i a, __m256i b) {
  const __m256i bytes = load(p);
  return _mm256_or_si256(_mm256_cmpeq_epi8(bytes, a), _mm256_cmpeq_epi8(bytes, b));
}

std::ptrdiff_t lowest(Bits bits) { return __builtin_ctzll(bits); }

}  // namespace

bool has_avx2() {
  static const bool kHas = __builtin_cpu_supports("avx2") != 0;
  return kHas;
}

FIELDSIFT_AVX2 const unsigned char* find_line_start_avx2(const unsigned char* begin,
                                                         const unsigned char* end, unsigned char key) {
  const __m256i want = splat(key);
  const unsigned char* p = begin;
  // Each step reads the 64 bytes from p and the one after them.
  for (; end - p > 64; p += 64) {
    const Bits hits = bits_of(line_starts(p, want), line_starts(p + 32, want));
    if (hits != 0) return p + lowest(hits) + 1;
  }
  for (; end - p > 1; ++p) {
    if (*p == '\n' && (p[1] | 0x20) == key) return p + 1;
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
    const Bits hits = bits_of(either(p, va, vb), either(p + 32, va, vb));
    if (hits != 0) return p + lowest(hits);
  }
  for (; p != end; ++p) {
    if (*p == a || *p == b) return p;
  }
  return end;
}

}  // namespace fieldsift
#endif
