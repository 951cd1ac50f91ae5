// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "bytes/byte_vector.h"
#include "bytes/heap_bytes.h"
#include "rows/cell.h"
#include "rows/column_list.h"
#include "rows/field_scanner.h"
#include "rows/row_writer.h"
#include "textio/line_writer.h"

namespace fieldsift {

// Makes one row of each message's columns, written when its header ends
// (with :size, once the message's end is known: at the next message or the
// input's end), raw values with their encoded words decoded if asked. A
// message whose row cannot be held (the system refuses memory) gets no
// row, and so does one whose header a failed read cuts short: a row is
// whole or not written at all.
class RowSink {
 public:
  // The columns are not copied: they must outlive the sink.
  RowSink(const ColumnList& columns, LineWriter& out, RowFormat format, bool decode);

  // What comes before the first row (see RowWriter::write_start).
  void write_start(bool bom) { writer_.write_start(bom); }

  // The messages of this input come next: its name as reports give it,
  // which must outlive them. The last input's error is forgotten.
  void begin_input(std::string_view name);
  void begin_message(std::uint64_t offset);
  void header_bytes(std::span<const unsigned char> bytes) { scanner_.feed(bytes); }
  [[nodiscard]] std::size_t take_header(std::span<const unsigned char> bytes) {
    return scanner_.take_header(bytes);
  }
  void end_header();
  // The input has ended, size bytes long.
  void end_input(std::uint64_t size);
  // Its values may be cut short, and so no row; the failure is the reader's
  // to report, not this sink's.
  void cut_short() {}

  // Whether a row of this input was left out: the error number (ENOMEM) to
  // report once for the input, or 0.
  [[nodiscard]] int error() const { return error_; }

 private:
  [[nodiscard]] bool make_cells();
  [[nodiscard]] bool make_cell(const Column& column, Cell& cell);
  void write_row(std::uint64_t end);

  const ColumnList& columns_;
  FieldScanner scanner_;
  RowWriter writer_;       // its failures are the caller's to read, from the LineWriter
  HeapArray<Cell> cells_;  // the row's, one a column; null if refused
  // Where in row_ the bytes each cell makes lie, until it stops growing.
  struct Placed {
    std::size_t start;  // or SIZE_MAX for a cell whose bytes lie elsewhere
    std::size_t size;
  };
  HeapArray<Placed> placed_;
  ByteVector row_;      // the bytes of the cells that views and decoding make
  ByteVector scratch_;  // a view's bytes on their way to row_
  bool decode_;
  bool raw_only_;             // every column a raw value, not decoded: each cell is its value
  bool pending_ = false;      // a row waits for its message's end, its size
  std::uint64_t offset_ = 0;  // of the message being read
  int error_ = 0;
};

}  // namespace fieldsift
