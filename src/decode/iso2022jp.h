// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "bytes/byte_vector.h"
#include "textio/platform/platform.h"

namespace fieldsift {

// Appends to out the EUC-JP of text in ISO-2022-JP: the same characters, in
// the form that every system's converter reads (KERNEL32's ISO-2022-JP code
// pages are missing from some systems that have its EUC-JP one). Takes the
// sets of ISO-2022-JP and of its usual extensions: ASCII and JIS X 0201
// Roman, JIS X 0208 (both escapes) and JIS X 0201 katakana. Refused: another
// escape (JIS X 0212's among them, which KERNEL32 cannot read in EUC-JP), an
// 8-bit byte, a byte outside the set in use, a character cut short.
[[nodiscard]] Conversion iso2022jp_to_eucjp(std::span<const unsigned char> text, ByteVector& out);

}  // namespace fieldsift
