// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

#include "bytes/byte_vector.h"

namespace fieldsift {

// Appends to out a field's value (unfolded or not) with its encoded words,
// =?charset[*language]?B|Q?text?=, turned into UTF-8.
//
// A word is decoded only where it stands apart: white space (SP, TAB, LF, or
// CR LF; never a CR alone), an opening quote or parenthesis (" or (), or the
// value's start before it; white space, a closing quote or parenthesis (" or
// )), or the value's end after it. So words are decoded in quoted strings
// and comments, as mail readers decode them, the marks kept. White space
// between two decoded words is dropped; words in one charset with only white
// space between them are decoded as one text, so that a character cut in two
// across them comes out whole, and where that text does not convert, each
// word alone (in UTF-16 with its mark and in UTF-7, each word is always
// alone). A word whose charset we do not know, whose B or Q is improper or
// empty, or whose bytes are not text in its charset is written as it stands,
// and so are the white space around it and every byte outside the words.
// Controls that decoding gives, but for TAB, CR and LF, are written as U+FFFD
// (is_replaced_control). A value without "=?" is appended as it is.
//
// Answers false when out could not grow (out.failed() then tells it) or a
// converter had no memory: the value is then not to be used.
[[nodiscard]] bool decode_words(std::span<const unsigned char> value, ByteVector& out);

}  // namespace fieldsift
