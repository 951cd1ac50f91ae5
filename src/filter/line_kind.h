// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>

namespace fieldsift {

// What a line is to the selector. The text of a line ends at its first NUL.
enum class LineKind {
  Blank,         // no text at all
  Dot,           // the text is a single full stop
  Continuation,  // the text begins with white space
  FieldStart,    // anything else
};

[[nodiscard]] constexpr bool is_white_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');  // tab, LF, VT, FF, CR
}

[[nodiscard]] constexpr LineKind classify(std::span<const unsigned char> line) {
  if (line.empty() || line[0] == '\0') return LineKind::Blank;
  if (line[0] == '.' && (line.size() == 1 || line[1] == '\0')) return LineKind::Dot;
  if (is_white_space(line[0])) return LineKind::Continuation;
  return LineKind::FieldStart;
}

}  // namespace fieldsift
