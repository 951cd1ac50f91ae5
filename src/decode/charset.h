// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "decode/charset_data.h"

namespace fieldsift {

// The charset a name in an encoded word gives; null for a name we do not
// know. Names are compared as Python's codecs compare them: ASCII letters
// without regard to case, letters, digits and dots as they are, and each run
// of other printable bytes between two of those as one underscore, so that
// "Latin-1", "latin_1" and "LATIN--1" are one name. A name with a control or
// an 8-bit byte is none we know.
[[nodiscard]] const Charset* find_charset(std::span<const unsigned char> name);

}  // namespace fieldsift
