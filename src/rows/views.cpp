// SPDX-License-Identifier: BSD-2-Clause
#include "rows/views.h"

namespace fieldsift {

CellKind show_view(View view, std::span<const unsigned char> value, ByteVector& out,
                   std::int64_t& number) {
  (void)value;
  (void)out;
  (void)number;
  if (view == View::Addresses || view == View::Ids) return CellKind::List;
  return CellKind::Absent;
}

CellKind show_parent(std::span<const unsigned char> references,
                     std::span<const unsigned char> in_reply_to, ByteVector& out) {
  (void)references;
  (void)in_reply_to;
  (void)out;
  return CellKind::Absent;
}

}  // namespace fieldsift
