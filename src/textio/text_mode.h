#pragma once

#include <span>

#include "textio/byte_channel.h"

namespace fieldsift {

// One standard stream as the program's line layer sees it: the place where
// the bytes of the system become the bytes of text lines and back.
struct TextStream {
  ByteChannel& channel;
};

// One refill: at most into.size() bytes of text; count 0 without error is end of input.
[[nodiscard]] IoResult text_read(TextStream& stream, std::span<unsigned char> into);

// Hands bytes of text to the system; count is how many source bytes went out.
[[nodiscard]] IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes);

}  // namespace fieldsift
