// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "bytes/byte_vector.h"
#include "bytes/heap_bytes.h"
#include "message/header_sink.h"
#include "rows/field_list.h"
#include "rows/field_scanner.h"
#include "rows/row_writer.h"
#include "textio/line_writer.h"

namespace fieldsift {

// Makes one row of each message's named fields, written when its header
// ends, with their encoded words decoded if asked. A message whose values
// cannot be held (the system refuses memory), or whose header a failed read
// cuts short, gets no row: a row is whole or not written at all.
class RowSink {
 public:
  // The names are not copied: they must outlive the sink.
  RowSink(const FieldList& fields, LineWriter& out, RowFormat format, bool decode)
      : scanner_(fields),
        writer_(out, format),
        values_(allocate_array<FieldValue>(fields.size())),
        decoded_ends_(allocate_array<std::size_t>(decode ? fields.size() : 0)),
        decode_(decode) {}

  // The messages of this input come next: its name as reports give it,
  // which must outlive them. The last input's error is forgotten.
  void begin_input(std::string_view name);

  void begin_message(std::uint64_t offset);
  void header_bytes(std::span<const unsigned char> bytes) { scanner_.feed(bytes); }
  void end_header();
  // Its values may be cut short, and so no row; the failure is the reader's
  // to report, not this sink's.
  void cut_short() {}

  // Whether a row of this input was left out: the error number (ENOMEM) to
  // report once for the input, or 0.
  [[nodiscard]] int error() const { return error_; }

 private:
  [[nodiscard]] bool take_values();
  [[nodiscard]] bool decode_values();

  FieldScanner scanner_;
  RowWriter writer_;              // its failures are the caller's to read, from the LineWriter
  HeapArray<FieldValue> values_;  // the row's, scanner_.size() of them; null if refused
  HeapArray<std::size_t> decoded_ends_;  // where each decoded value ends in decoded_
  ByteVector decoded_;                   // the row's values decoded, one after another
  bool decode_;
  std::span<const unsigned char> input_;
  std::uint64_t offset_ = 0;  // of the message being read
  int error_ = 0;
};

}  // namespace fieldsift
