// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstdint>
#include <span>

#include "bytes/byte_vector.h"
#include "rows/cell.h"
#include "rows/column_list.h"

namespace fieldsift {

// What a view of a field shows, from its raw value: for a text (Iso, Name)
// or a list (Addresses, Ids, as ListItems reads it) the bytes added to out;
// for Epoch the number. Answers the cell's kind: Absent where the value
// holds nothing the view takes. A growth out refuses shows in out.failed().
[[nodiscard]] CellKind show_view(View view, std::span<const unsigned char> value, ByteVector& out,
                                 std::int64_t& number);

// The id of the message that one answers, the last of its References or,
// where it has none, the first of its In-Reply-To, added to out; Absent
// where neither holds an id.
[[nodiscard]] CellKind show_parent(std::span<const unsigned char> references,
                                   std::span<const unsigned char> in_reply_to, ByteVector& out);

}  // namespace fieldsift
