// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>

namespace fieldsift {

// Byte scans of the hot path, sixteen bytes at a time.

// The first byte in [begin, end) that follows a line feed and, with bit 0x20
// set, equals key; end if there is none. This is how lines that cannot start
// a wanted field are passed over in bulk: only their starts are looked at,
// sixteen bytes at a time. Bytes at end and beyond are never read.
[[nodiscard]] const unsigned char* find_line_start(const unsigned char* begin,
                                                   const unsigned char* end, unsigned char key);

// The first byte in [begin, end) that is a or b; end if there is none.
[[nodiscard]] const unsigned char* find_either(const unsigned char* begin, const unsigned char* end,
                                               unsigned char a, unsigned char b);

// What a pass that leaves out the CR of each CR LF did: the bytes it kept,
// and the bytes it read, fewer than it was given where it met its stop byte
// (which it neither reads nor keeps).
struct Dropped {
  std::size_t kept;
  std::size_t read;
};

// Copies n bytes from src to dst, up to the first byte equal to stop,
// leaving out each CR that a LF follows. A CR as the last byte read stays.
// dst must have room for n bytes, and either not overlap src or start at
// least kDropLead bytes before it: nothing is stored where a byte yet to be
// read lies.
[[nodiscard]] Dropped drop_cr_before_lf(const unsigned char* src, std::size_t n, unsigned char* dst,
                                        unsigned char stop);
inline constexpr std::size_t kDropLead = 32;

// The same within one buffer: the bytes kept are moved down to its start.
[[nodiscard]] Dropped drop_cr_before_lf_in_place(unsigned char* bytes, std::size_t n,
                                                 unsigned char stop);

// Copies n bytes from src to dst with a CR put in before each LF, and answers
// how many bytes went to dst. src and dst must not overlap; dst must have
// room for 2n bytes, and nothing beyond that is written.
[[nodiscard]] std::size_t add_cr_before_lf(const unsigned char* src, std::size_t n,
                                           unsigned char* dst);

}  // namespace fieldsift
