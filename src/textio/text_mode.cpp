#include "textio/text_mode.h"

namespace fieldsift {

IoResult text_read(TextStream& stream, std::span<unsigned char> into) {
  return stream.channel.read(into);
}

IoResult text_write(TextStream& stream, std::span<const unsigned char> bytes) {
  return stream.channel.write(bytes);
}

}  // namespace fieldsift
