// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "bytes/byte_vector.h"
#include "bytes/bytes_of.h"
#include "bytes/heap_bytes.h"
#include "rows/cell.h"
#include "rows/column_list.h"
#include "rows/row_escapes.h"
#include "textio/line_writer.h"
#include "textio/scan/kernel_set.h"

namespace fieldsift {

enum class RowFormat { Tsv, JsonLines, Csv };

// Writes one row a message, each format by this one writer, in a shape that
// never depends on the data. Each row holds the input's name, the message's
// offset, then each column in the order named. A list's items are written
// one space apart in TSV and CSV, as an array in JSON; a number in digits.
//
// TSV: TAB between columns, a LF at the row's end on every system. Inside
// every column backslash, TAB, CR and LF are written \\, \t, \r and \n; in
// the input's name any other control byte (below 0x20, and 0x7F) as '?';
// any other byte as it is. An absent value is an empty column.
//
// JSON Lines: {"input":"NAME","offset":N,"fields":{"KEY":value,...}}, a LF at
// the end, with each column under its key: a string, an array of strings, a
// number, or null when absent. Always valid JSON and UTF-8: " and \ are
// escaped, control bytes written \b \f \n \r \t or \u00XX, U+2028 and U+2029
// as \u2028 and \u2029 (which some readers take for line ends), well-formed
// UTF-8 kept as it is, and each byte that begins no well-formed UTF-8
// sequence written U+FFFD; the scan goes on at the byte after it.
//
// CSV: as RFC 4180 has it, a first row of headings (input, offset, then each
// column's key), commas between fields and CR LF at each row's end. A field
// that holds a comma, ", CR or LF is quoted, each " in it doubled. Always
// UTF-8, by JSON's rule for bytes that begin no well-formed sequence; the
// input's name as in TSV, control bytes as '?'.
class RowWriter {
 public:
  // The columns are not copied: they must outlive the writer.
  RowWriter(LineWriter& out, RowFormat format, std::span<const Column> columns)
      : out_(out), format_(format), columns_(columns) {}
  RowWriter(const RowWriter&) = delete;  // the stage may point into this very object
  RowWriter& operator=(const RowWriter&) = delete;
  RowWriter(RowWriter&&) = delete;
  RowWriter& operator=(RowWriter&&) = delete;
  ~RowWriter() = default;

  // What comes before the rows: a CSV's headings, after a UTF-8 byte order
  // mark if bom; nothing in the other formats (JSON's keys are made here,
  // once for every row). Failures are the LineWriter's to tell.
  void write_start(bool bom);

  // The rows of this input come next: its name as reports give it, written
  // as its column once here for all its rows.
  void begin_input(std::span<const unsigned char> input);

  // cells: one a column. Failures are the LineWriter's to tell.
  void write_row(std::uint64_t offset, std::span<const Cell> cells);

 private:
  // A row is put together here and handed to the LineWriter whole: one call
  // a row, not one a column and separator. A longer row goes in pieces.
  static constexpr std::size_t kStageSize = 1024;

  void write_input();
  void make_json_keys();
  void write_json_key(std::size_t i);
  void write_tsv_row(std::uint64_t offset, std::span<const Cell> cells);
  void write_json_row(std::uint64_t offset, std::span<const Cell> cells);
  void write_csv_row(std::uint64_t offset, std::span<const Cell> cells);
  void write_tsv_name(std::span<const unsigned char> name);
  // Inline up to the first byte that needs more than a copy, which most
  // values do not hold; the rest, from bytes[run] on, out of line.
  [[gnu::always_inline]] void write_tsv_text(std::span<const unsigned char> bytes) {
    const std::size_t run = stage_plain(bytes, RowScan::Tsv);
    if (run != bytes.size()) write_tsv_escaped(bytes, run);
  }
  void write_tsv_escaped(std::span<const unsigned char> bytes, std::size_t run);
  // A quoted string.
  [[gnu::always_inline]] void write_json_string(std::span<const unsigned char> bytes) {
    write("\"");
    const std::size_t run = stage_plain(bytes, RowScan::Json);
    if (run != bytes.size()) write_json_checked(bytes, run);
    write("\"");
  }
  void write_json_checked(std::span<const unsigned char> bytes, std::size_t run);
  void write_json_cell(const Cell& cell);
  void write_csv_field(std::span<const unsigned char> bytes);
  // From bytes[from] on, the bytes before it being plain.
  void write_csv_text(std::span<const unsigned char> bytes, std::size_t from);
  void write_csv_name(std::span<const unsigned char> name);
  // A list's items with one space between, each as write_item has it.
  template <class WriteItem>
  void write_spaced(std::span<const unsigned char> list, WriteItem write_item);
  void write_number(std::int64_t number);
  void write_number(std::uint64_t number);
  [[gnu::always_inline]] void write(std::string_view text) { write(bytes_of(text)); }
  // Inline wherever it is called: a row is put together from many small
  // pieces, and a call for each costs as much as copying it.
  [[gnu::always_inline]] void write(std::span<const unsigned char> bytes) {
    if (fits_stage(bytes.size())) return stage(bytes);
    write_past_stage(bytes);
  }
  // Whether so many bytes go on in the stage.
  [[nodiscard]] bool fits_stage(std::size_t size) const {
    return capture_ == nullptr && size <= kStageSize - staged_;
  }
  [[gnu::always_inline]] void stage(std::span<const unsigned char> bytes) {
    if (!bytes.empty()) std::memcpy(stage_ + staged_, bytes.data(), bytes.size());
    staged_ += bytes.size();
  }
  // Stages bytes as they are up to the first that the scan stops at, and
  // answers how many it took: most values need no escape, and are looked at
  // once copied, where a scan may read past them. None if they do not fit.
  [[gnu::always_inline]] std::size_t stage_plain(std::span<const unsigned char> bytes,
                                                 RowScan scan) {
    if (!fits_stage(bytes.size())) return 0;
    unsigned char* const at = stage_ + staged_;
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    const std::size_t plain = first_stop_padded({at, bytes.size()}, scan);
    staged_ += plain;
    return plain;
  }
  void write_past_stage(std::span<const unsigned char> bytes);
  // A row is staged in the output's buffer where it has the room, else here.
  void stage_in_output();
  void hand_over();

  LineWriter& out_;
  RowFormat format_;
  std::span<const Column> columns_;
  std::span<const unsigned char> input_;  // this input's name
  ByteVector input_column_;  // its column, as the format writes it; failed(): written each row
  // In JSON, each column's key as written, after the one before; the ends
  // of each; null until made, or where it could not be.
  ByteVector json_keys_;
  HeapArray<std::size_t> json_key_ends_;
  ByteVector* capture_ = nullptr;  // where writes go instead of the stage, if anywhere
  // The stage: kStageSize bytes and kScanPadding more, only read, in the
  // output's buffer or own_stage_; in [0, staged_) the row's bytes so far.
  std::array<unsigned char, kStageSize + kScanPadding> own_stage_{};
  unsigned char* stage_ = own_stage_.data();
  std::size_t staged_ = 0;
  bool in_output_ = false;  // stage_ lies in the output's buffer
};

template <class WriteItem>
void RowWriter::write_spaced(std::span<const unsigned char> list, WriteItem write_item) {
  for (ListItems items(list); !items.empty();) {
    write_item(items.next());
    if (!items.empty()) write(" ");
  }
}

}  // namespace fieldsift
