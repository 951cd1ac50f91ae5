// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "bytes/byte_vector.h"
#include "textio/platform/platform.h"

namespace fieldsift {

// Appends to out the UTF-8 of text in UTF-7, read as Python's codec reads
// it: a byte below 0x80 but + stands for itself; "+-" is +; + begins a
// shifted run of UTF-16 in base64 (the alphabet of B), which the first byte
// outside the alphabet ends, a - being dropped there. Refused: an 8-bit
// byte, a + before a byte that neither begins nor ends a shifted run, a run
// that ends with six or more bits left over or with any of them set, a
// surrogate without its pair (where Python's codec gives the surrogate
// alone, which is no character).
[[nodiscard]] Conversion utf7_to_utf8(std::span<const unsigned char> text, ByteVector& out);

}  // namespace fieldsift
