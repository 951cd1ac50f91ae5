#pragma once

// The text one delivery of text_read stands for, found with the scans the
// line reader uses: each line end as one LF, up to where the text stops.

#include <cstddef>
#include <span>
#include <string>

#include "support/scripted_channel.h"
#include "textio/text_mode.h"

namespace fieldsift::testing {

inline std::string text_of(TextStream& stream, std::span<const unsigned char> delivery) {
  std::string text;
  for (std::size_t from = 0;;) {
    const LineEnd end = text_find_line_end(stream, delivery, from);
    text += string_of(delivery.subspan(from, end.text - from));
    if (end.next == end.text) return text;
    text += '\n';
    from = end.next;
  }
}

}  // namespace fieldsift::testing
