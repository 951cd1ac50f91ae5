// SPDX-License-Identifier: BSD-2-Clause
#include "textio/byte_reader.h"

namespace fieldsift {

std::span<const unsigned char> ByteReader::read() {
  if (error_ != 0) return {};
  const std::span<unsigned char> room = read_room(buffer_, read_buffer_size(in_));
  const IoResult r = text_read(in_, room);
  error_ = r.error;
  return room.first(r.error == 0 ? r.count : 0);
}

}  // namespace fieldsift
