// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>

namespace fieldsift {

// Byte scans of the hot path, sixteen bytes at a time.

// The first byte in [begin, end) that equals stop, or that follows a line
// feed and, with bit 0x20 set, equals key, whichever comes first; end if
// there is none. This is how lines that cannot start a wanted field are
// passed over in bulk: only their starts are looked at, and any byte that
// ends the text is met in the same pass. Bytes at end and beyond are never
// read.
[[nodiscard]] const unsigned char* find_line_start(const unsigned char* begin,
                                                   const unsigned char* end, unsigned char key,
                                                   unsigned char stop);

// The first byte in [begin, end) that is a or b; end if there is none.
[[nodiscard]] const unsigned char* find_either(const unsigned char* begin, const unsigned char* end,
                                               unsigned char a, unsigned char b);

// Copies n bytes from src to dst with a CR put in before each LF, and answers
// how many bytes went to dst. src and dst must not overlap; dst must have
// room for 2n bytes, and nothing beyond that is written.
[[nodiscard]] std::size_t add_cr_before_lf(const unsigned char* src, std::size_t n,
                                           unsigned char* dst);

}  // namespace fieldsift
