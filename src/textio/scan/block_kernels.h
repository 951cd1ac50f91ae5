// SPDX-License-Identifier: BSD-2-Clause
// No include guard: each kernel set's file includes this once, inside its
// anonymous namespace, then defines the two primitives declared below for its
// processor. Each kernel is written here once, over the width W of its blocks.

// NOLINTNEXTLINE(misc-definitions-in-headers): each set's own, in its anonymous namespace
constexpr std::size_t kWidestStep = 64;  // the widest step: one bit a byte in a 64-bit mask

// W bytes, and W masks of a byte, as the compiler maps them onto the
// processor's vector registers, or onto words where it has none.
template <std::size_t W>
struct Lanes {
  // NOLINTBEGIN(modernize-use-using): an alias template loses a vector type's size
  typedef unsigned char Block __attribute__((vector_size(W)));
  typedef signed char Mask __attribute__((vector_size(W)));
  // NOLINTEND(modernize-use-using)
};

// Blocks travel by reference: passed by value, a vector's calling convention
// differs between machines with vector registers and those without, and
// GCC says so for every such function (-Wpsabi).
template <std::size_t W>
[[gnu::always_inline]] inline void load(typename Lanes<W>::Block& b, const unsigned char* p) {
  std::memcpy(&b, p, W);
}

template <std::size_t W>
[[gnu::always_inline]] inline void store(unsigned char* p, const typename Lanes<W>::Block& b) {
  std::memcpy(p, &b, W);
}

// One bit a byte of the mask, the first byte's in bit 0.
template <std::size_t W>
std::uint64_t bits_of(const typename Lanes<W>::Mask& m);

// Whether any byte of the mask is set.
template <std::size_t W>
bool any(const typename Lanes<W>::Mask& m);

inline std::size_t lowest(std::uint64_t bits) {
  return static_cast<std::size_t>(__builtin_ctzll(bits));
}

// A scan takes four blocks a step: one test of them all for a hit, and one
// branch, is what keeps a step cheap.
template <std::size_t W>
const unsigned char* find_line_start(const unsigned char* begin, const unsigned char* end,
                                     ByteMatch first) {
  static_assert(2 * W <= kWidestStep);
  using Mask = typename Lanes<W>::Mask;
  // Byte i of hits, for the block at q: a line start at q + i + 1.
  const auto hits_after = [first](const unsigned char* q, Mask& hits) {
    typename Lanes<W>::Block here;
    typename Lanes<W>::Block next;
    load<W>(here, q);
    load<W>(next, q + 1);
    hits = (here == '\n') & ((next | first.mask) == first.value);
  };
  const unsigned char* p = begin;
  // Each step looks at the 4W bytes from p and the one after them.
  const unsigned char* const last = end - p > static_cast<std::ptrdiff_t>(4 * W) ? end - 4 * W : p;
  for (; p < last; p += 4 * W) {
    Mask a;
    Mask b;
    Mask c;
    Mask d;
    hits_after(p, a);
    hits_after(p + W, b);
    hits_after(p + 2 * W, c);
    hits_after(p + 3 * W, d);
    if (any<W>((a | b) | (c | d))) {
      const std::uint64_t low = bits_of<W>(a) | bits_of<W>(b) << W;
      if (low != 0) return p + 1 + lowest(low);
      return p + 1 + 2 * W + lowest(bits_of<W>(c) | bits_of<W>(d) << W);
    }
  }
  for (; end - p > 1; ++p) {
    if (*p == '\n' && (p[1] | first.mask) == first.value) return p + 1;
  }
  return end;
}

// Whether each byte of next is one of the matches I, into hits; with
// kOneMask, every match's mask is the first's, set once for them all.
template <std::size_t W, bool kOneMask, std::size_t... I>
[[gnu::always_inline]] inline void first_matches(const typename Lanes<W>::Block& next,
                                                 const std::array<ByteMatch, 4>& first,
                                                 std::index_sequence<I...> /*matches*/,
                                                 typename Lanes<W>::Mask& hits) {
  if constexpr (kOneMask) {
    const typename Lanes<W>::Block folded = next | first[0].mask;
    hits = ((folded == first[I].value) | ...);
  } else {
    hits = (((next | first[I].mask) == first[I].value) | ...);
  }
}

// Whether the line that starts at s, a line start that a scan's block test
// found, is one to stop at: one whose first byte is among the set, or an
// empty one, a LF or a CR and a LF. The test takes every CR, and lines that
// begin with one and go on are rare: they are told here.
[[gnu::always_inline]] inline bool stops_line(const unsigned char* s, const unsigned char* end,
                                              const ByteSet& set) {
  return set.members[*s] || starts_empty_line(s, end);
}

// The same for a set of up to four matches, a block at a time as
// find_line_start does for one: no line is looked at alone, so that how
// many lines a block holds steers no branch.
template <std::size_t W, std::size_t N, bool kOneMask>
const unsigned char* find_line_start_matching(const unsigned char* begin, const unsigned char* end,
                                              const ByteSet& set) {
  using Mask = typename Lanes<W>::Mask;
  const std::array<ByteMatch, 4>& first = set.matches;
  // Byte i of hits, for the block at q: a line start to tell at q + i + 1.
  const auto hits_after = [&first](const unsigned char* q, Mask& hits) {
    typename Lanes<W>::Block here;
    typename Lanes<W>::Block next;
    load<W>(here, q);
    load<W>(next, q + 1);
    Mask matched;
    first_matches<W, kOneMask>(next, first, std::make_index_sequence<N>(), matched);
    hits = (here == '\n') & (matched | (next == '\n') | (next == '\r'));
  };
  // The first of the hits, from bit 0 at p + 1, that is one to stop at.
  const auto first_stop = [&set, end](const unsigned char* p,
                                      std::uint64_t hits) -> const unsigned char* {
    for (; hits != 0; hits &= hits - 1) {
      const unsigned char* const s = p + 1 + lowest(hits);
      if (stops_line(s, end, set)) return s;
    }
    return nullptr;
  };
  const unsigned char* p = begin;
  // Each step looks at the 2W bytes from p and the one after them.
  for (; end - p > static_cast<std::ptrdiff_t>(2 * W); p += 2 * W) {
    Mask a;
    Mask b;
    hits_after(p, a);
    hits_after(p + W, b);
    if (!any<W>(a | b)) continue;
    if (const unsigned char* const s = first_stop(p, bits_of<W>(a) | bits_of<W>(b) << W)) return s;
  }
  Mask hits;
  if (end - p > static_cast<std::ptrdiff_t>(W)) {
    hits_after(p, hits);
    if (const unsigned char* const s = first_stop(p, bits_of<W>(hits))) return s;
    p += W;
  }
  if (end - p > 1 && end - begin > static_cast<std::ptrdiff_t>(W)) {
    // The block that ends a byte before the end, its lanes before p not counted.
    const unsigned char* const q = end - 1 - W;
    hits_after(q, hits);
    const unsigned char* const s = first_stop(p, bits_of<W>(hits) >> (p - q));
    return s != nullptr ? s : end;
  }
  for (; end - p > 1; ++p) {
    if (*p == '\n' && stops_line(p + 1, end, set)) return p + 1;
  }
  return end;
}

// The matching scan for a set's matches as they are: the fewer there are,
// and when they share a mask, the less each block costs.
template <std::size_t W>
const unsigned char* find_line_start_matching(const unsigned char* begin, const unsigned char* end,
                                              const ByteSet& set) {
  if (!set.one_mask) return find_line_start_matching<W, 4, false>(begin, end, set);
  switch (set.distinct) {
    case 1:
      return find_line_start_matching<W, 1, true>(begin, end, set);
    case 2:
      return find_line_start_matching<W, 2, true>(begin, end, set);
    case 3:
      return find_line_start_matching<W, 3, true>(begin, end, set);
    default:
      return find_line_start_matching<W, 4, true>(begin, end, set);
  }
}

// A header's lines are a few dozen bytes long: the LFs of 2W bytes are
// found at once, and the line after each told where it stands.
template <std::size_t W>
const unsigned char* find_line_start_among(const unsigned char* begin, const unsigned char* end,
                                           const ByteSet& first) {
  static_assert(2 * W <= kWidestStep);
  if (first.by_matches) return find_line_start_matching<W>(begin, end, first);
  const unsigned char* p = begin;
  // Each step looks at the 2W bytes from p and the one after them.
  for (; end - p > static_cast<std::ptrdiff_t>(2 * W); p += 2 * W) {
    typename Lanes<W>::Block low;
    typename Lanes<W>::Block high;
    load<W>(low, p);
    load<W>(high, p + W);
    std::uint64_t lfs = bits_of<W>(low == '\n') | bits_of<W>(high == '\n') << W;
    for (; lfs != 0; lfs &= lfs - 1) {
      const unsigned char* const start = p + 1 + lowest(lfs);
      if (stops_line(start, end, first)) return start;
    }
  }
  for (; end - p > 1; ++p) {
    if (*p == '\n' && stops_line(p + 1, end, first)) return p + 1;
  }
  return end;
}

// A line a row takes is most often shorter than a step: one test of its
// bytes' LFs, and the last bytes, fewer than a step, by memchr.
template <std::size_t W>
const unsigned char* find_line_feed(const unsigned char* begin, const unsigned char* end) {
  static_assert(2 * W <= kWidestStep);
  const unsigned char* p = begin;
  for (; end - p >= static_cast<std::ptrdiff_t>(2 * W); p += 2 * W) {
    typename Lanes<W>::Block low;
    typename Lanes<W>::Block high;
    load<W>(low, p);
    load<W>(high, p + W);
    const std::uint64_t lfs = bits_of<W>(low == '\n') | bits_of<W>(high == '\n') << W;
    if (lfs != 0) return p + lowest(lfs);
  }
  const void* const lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
  return lf != nullptr ? static_cast<const unsigned char*>(lf) : end;
}

template <std::size_t W>
const unsigned char* find_empty_line(const unsigned char* begin, const unsigned char* end) {
  static_assert(2 * W <= kWidestStep);
  using Mask = typename Lanes<W>::Mask;
  // Byte i of hits, for the block at q: an empty line at q + i + 1.
  const auto hits_after = [](const unsigned char* q, Mask& hits) {
    typename Lanes<W>::Block here;
    typename Lanes<W>::Block next;
    typename Lanes<W>::Block after;
    load<W>(here, q);
    load<W>(next, q + 1);
    load<W>(after, q + 2);
    hits = (here == '\n') & ((next == '\n') | ((next == '\r') & (after == '\n')));
  };
  const unsigned char* p = begin;
  // Each step looks at the 2W bytes from p and the two after them.
  const unsigned char* const last =
      end - p > static_cast<std::ptrdiff_t>(2 * W + 1) ? end - 2 * W - 1 : p;
  for (; p < last; p += 2 * W) {
    Mask low;
    Mask high;
    hits_after(p, low);
    hits_after(p + W, high);
    if (any<W>(low | high)) return p + 1 + lowest(bits_of<W>(low) | bits_of<W>(high) << W);
  }
  for (; end - p > 1; ++p) {
    if (*p != '\n') continue;
    if (starts_empty_line(p + 1, end)) return p + 1;
  }
  return end;
}

// Values are short: after the wide steps, one block at a time, and the last
// bytes in the block that ends with them, or, in a value shorter than a
// block, in a block of their own, its lanes past them not counted.
template <std::size_t W>
const unsigned char* find_escape(const unsigned char* begin, const unsigned char* end,
                                 const EscapeSet& set) {
  static_assert(2 * W <= kWidestStep);
  using Block = typename Lanes<W>::Block;
  using Mask = typename Lanes<W>::Mask;
  const auto stops = [&set](const Block& b, Mask& hits) {
    hits = (b < set.below) | (b > set.above) | (b == set.equal[0]) | (b == set.equal[1]) |
           (b == set.equal[2]) | (b == set.equal[3]);
  };
  const unsigned char* p = begin;
  for (; end - p >= static_cast<std::ptrdiff_t>(2 * W); p += 2 * W) {
    Block b;
    Mask low;
    Mask high;
    load<W>(b, p);
    stops(b, low);
    load<W>(b, p + W);
    stops(b, high);
    if (any<W>(low | high)) return p + lowest(bits_of<W>(low) | bits_of<W>(high) << W);
  }
  Block b;
  Mask hits;
  if (end - p >= static_cast<std::ptrdiff_t>(W)) {
    load<W>(b, p);
    stops(b, hits);
    if (any<W>(hits)) return p + lowest(bits_of<W>(hits));
    p += W;
  }
  const auto rest = static_cast<std::size_t>(end - p);
  if (rest == 0) return end;
  if (end - begin >= static_cast<std::ptrdiff_t>(W)) {
    // The block that ends at the end, its lanes already looked at not counted.
    load<W>(b, end - W);
    stops(b, hits);
    const std::uint64_t found = bits_of<W>(hits) >> (W - rest);
    return found != 0 ? p + lowest(found) : end;
  }
  std::array<unsigned char, W> last{};
  std::memcpy(last.data(), p, rest);
  load<W>(b, last.data());
  stops(b, hits);
  const std::uint64_t found = bits_of<W>(hits) & ((std::uint64_t{1} << rest) - 1);
  return found != 0 ? p + lowest(found) : end;
}

// The same where the bytes past end may be read, up to kScanPadding of
// them: most values are shorter, and are looked at in one step of that
// many bytes, whatever their length, so that it steers no branch; longer
// ones a block a step. The bits past end are not counted. A set without
// bounds (TSV's) is not tested against them.
template <std::size_t W, bool kBounds>
const unsigned char* find_escape_padded(const unsigned char* begin, const unsigned char* end,
                                        const EscapeSet& set) {
  static_assert(kScanPadding == kWidestStep && kWidestStep % W == 0);
  using Block = typename Lanes<W>::Block;
  using Mask = typename Lanes<W>::Mask;
  const auto stops = [&set](const unsigned char* p) {
    Block b;
    load<W>(b, p);
    Mask hits =
        (b == set.equal[0]) | (b == set.equal[1]) | (b == set.equal[2]) | (b == set.equal[3]);
    if constexpr (kBounds) hits |= (b < set.below) | (b > set.above);
    return bits_of<W>(hits);
  };
  const auto size = static_cast<std::size_t>(end - begin);
  if (size <= kWidestStep) {
    std::uint64_t found = 0;
    for (std::size_t i = 0; i < kWidestStep; i += W) found |= stops(begin + i) << i;
    if (size < kWidestStep) found &= (std::uint64_t{1} << size) - 1;
    return found != 0 ? begin + lowest(found) : end;
  }
  for (const unsigned char* p = begin; p < end; p += W) {
    const std::uint64_t found = stops(p);
    if (found != 0) return std::min(p + lowest(found), end);
  }
  return end;
}

template <std::size_t W>
const unsigned char* find_escape_padded(const unsigned char* begin, const unsigned char* end,
                                        const EscapeSet& set) {
  if (set.below == 0 && set.above == UCHAR_MAX)
    return find_escape_padded<W, false>(begin, end, set);
  return find_escape_padded<W, true>(begin, end, set);
}

// The block at src + in, with a CR put in before each LF (the bits of lfs,
// at least one), copied to dst + out piece by piece; answers the new out.
template <std::size_t W>
std::size_t copy_with_crs(const unsigned char* src, std::size_t in, std::uint64_t lfs,
                          unsigned char* dst, std::size_t out) {
  std::size_t from = in;  // the piece waiting to be copied starts here, at a LF but for the first
  typename Lanes<W>::Block piece;
  for (; lfs != 0; lfs &= lfs - 1) {
    const std::size_t lf = in + lowest(lfs);
    load<W>(piece, src + from);
    store<W>(dst + out, piece);
    out += lf - from;
    dst[out++] = '\r';
    from = lf;
  }
  load<W>(piece, src + from);
  store<W>(dst + out, piece);
  return out + in + W - from;
}

template <std::size_t W>
std::size_t add_cr_before_lf(const unsigned char* src, std::size_t n, unsigned char* dst) {
  static_assert(W < kWidestStep, "a bit past the block's own marks its end");
  using Block = typename Lanes<W>::Block;
  std::size_t in = 0;   // bytes of src handled; a multiple of W in the loop
  std::size_t out = 0;  // bytes written to dst; out <= 2 * in
  // W bytes a step, whatever they hold. Stores may run up to 2W + 2 bytes
  // past out; the following steps write over what is not kept, and none
  // reaches dst + 2n.
  while (n - in >= 2 * W) {
    Block block;
    load<W>(block, src + in);
    const std::uint64_t lfs = bits_of<W>(block == '\n');
    if ((lfs & (lfs - 1)) != 0) {
      out = copy_with_crs<W>(src, in, lfs, dst, out);  // short lines: more than one LF
    } else {
      // No LF, or one: the bytes from it on move up one for the CR.
      const std::size_t lf = lowest(lfs | std::uint64_t{1} << W);
      Block rest;
      load<W>(rest, src + in + lf);
      store<W>(dst + out, block);
      store<W>(dst + out + lf + 1, rest);
      dst[out + lf] = '\r';
      out += W + (lfs != 0 ? 1 : 0);
    }
    in += W;
  }
  for (; in < n; ++in) {
    if (src[in] == '\n') dst[out++] = '\r';
    dst[out++] = src[in];
  }
  return out;
}
