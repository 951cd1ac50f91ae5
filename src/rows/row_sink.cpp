// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_sink.h"

#include <algorithm>
#include <cerrno>

#include "bytes/bytes_of.h"
#include "decode/encoded_words.h"
#include "rows/views.h"

namespace fieldsift {
namespace {

constexpr std::size_t kElsewhere = SIZE_MAX;  // a cell whose bytes are not in the row's buffer

}  // namespace

RowSink::RowSink(const ColumnList& columns, LineWriter& out, RowFormat format, bool decode)
    : columns_(columns),
      scanner_(columns.fields(), decode),
      writer_(out, format, columns.columns()),
      cells_(allocate_array<Cell>(columns.columns().size())),
      placed_(allocate_array<Placed>(columns.columns().size())),
      decode_(decode),
      raw_only_(!decode && std::ranges::all_of(columns.columns(), [](const Column& c) {
        return c.view == View::Raw;
      })) {}

void RowSink::begin_input(std::string_view name) {
  writer_.begin_input(bytes_of(name));
  error_ = 0;
  pending_ = false;
}

void RowSink::begin_message(std::uint64_t offset) {
  if (pending_) write_row(offset);
  offset_ = offset;
  scanner_.begin();
}

void RowSink::end_header() {
  // A row that waits for its size outlives the bytes that ended its header.
  scanner_.finish(columns_.needs_size());
  if (!make_cells()) {
    error_ = ENOMEM;
    return;
  }
  if (columns_.needs_size()) {
    pending_ = true;
  } else {
    writer_.write_row(offset_, {cells_.get(), columns_.columns().size()});
  }
}

void RowSink::end_input(std::uint64_t size) {
  if (pending_) write_row(size);
}

// The row of the message that ends at end, now that its size is known.
void RowSink::write_row(std::uint64_t end) {
  pending_ = false;
  const std::span<const Column> columns = columns_.columns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].view == View::Size)
      cells_[i] = Cell{CellKind::Number, {}, static_cast<std::int64_t>(end - offset_)};
  }
  writer_.write_row(offset_, {cells_.get(), columns.size()});
}

// Each column's cell, the bytes that views and decoding make put one
// column after another in one buffer; the cells point into it once it has
// stopped growing.
bool RowSink::make_cells() {
  if (scanner_.failed() || !cells_ || !placed_) return false;
  const std::span<const Column> columns = columns_.columns();
  if (raw_only_) {
    // The values as they stand: nothing is made.
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const FieldValue field = scanner_.field(columns[i].field);
      cells_[i] = field.present ? Cell{CellKind::Text, field.value, 0} : Cell{};
    }
    return true;
  }
  row_.clear();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::size_t start = row_.size();
    cells_[i] = Cell{};
    if (!make_cell(columns[i], cells_[i])) return false;
    const bool made = cells_[i].kind == CellKind::Text || cells_[i].kind == CellKind::List;
    placed_[i] = made && cells_[i].bytes.data() == nullptr ? Placed{start, row_.size() - start}
                                                           : Placed{kElsewhere, 0};
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (placed_[i].start != kElsewhere)
      cells_[i].bytes = row_.bytes().subspan(placed_[i].start, placed_[i].size);
  }
  return !row_.failed();
}

// A cell whose bytes are made is left without bytes: they are those added
// to row_. False where memory was refused.
bool RowSink::make_cell(const Column& column, Cell& cell) {
  if (column.view == View::Size) return true;  // known at the message's end; it reads no field
  const FieldValue field = scanner_.field(column.field);
  switch (column.view) {
    case View::Raw:
      if (!field.present) return true;
      cell.kind = CellKind::Text;
      if (!decode_) {
        cell.bytes = field.value;
        return true;
      }
      return decode_words(field.value, row_);
    case View::Parent:
      cell.kind = show_parent(field.value, scanner_.field(column.second_field).value, row_);
      return !row_.failed();
    case View::Name: {
      // A display name's encoded words are decoded once it is taken out.
      scratch_.clear();
      ByteVector& name = decode_ ? scratch_ : row_;
      cell.kind = show_view(column.view, field.value, name, cell.number);
      if (name.failed()) return false;
      return !decode_ || cell.kind == CellKind::Absent || decode_words(scratch_.bytes(), row_);
    }
    default:
      cell.kind = show_view(column.view, field.value, row_, cell.number);
      return !row_.failed();
  }
}

}  // namespace fieldsift
