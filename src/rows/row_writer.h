// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "rows/field_scanner.h"
#include "textio/line_writer.h"

namespace fieldsift {

enum class RowFormat { Tsv, JsonLines };

// Writes one row a message, each format by this one writer, in a shape that
// never depends on the data; a row ends with a LF on every system.
//
// TSV: the input's name, the message's offset, then each named field's
// value in the order named (empty when absent), TAB between them. Inside
// every column backslash, TAB, CR and LF are written \\, \t, \r and \n; any
// other byte as it is.
//
// JSON Lines: {"input":"NAME","offset":N,"fields":{"FIELD":"value",...}}
// with each named field's value, or null when absent, in the order named.
// Always valid JSON and UTF-8: " and \ are escaped, control bytes written
// \b \f \n \r \t or \u00XX, well-formed UTF-8 kept as it is, and each byte
// that begins no well-formed UTF-8 sequence written U+FFFD; the scan goes
// on at the byte after it.
class RowWriter {
 public:
  RowWriter(LineWriter& out, RowFormat format) : out_(out), format_(format) {}

  // Failures are the LineWriter's to tell.
  void write_row(std::span<const unsigned char> input, std::uint64_t offset,
                 std::span<const FieldValue> fields);

 private:
  // A row is put together here and handed to the LineWriter whole: one call
  // a row, not one a column and separator. A longer row goes in pieces.
  static constexpr std::size_t kStageSize = 1024;

  void write_tsv_row(std::span<const unsigned char> input, std::uint64_t offset,
                     std::span<const FieldValue> fields);
  void write_json_row(std::span<const unsigned char> input, std::uint64_t offset,
                      std::span<const FieldValue> fields);
  void write_tsv_column(std::span<const unsigned char> bytes);
  void write_json_string(std::span<const unsigned char> bytes);
  void write_offset(std::uint64_t offset);
  void write(std::string_view text);
  void write(std::span<const unsigned char> bytes) {
    if (bytes.size() <= kStageSize - staged_) return stage(bytes);
    write_past_stage(bytes);
  }
  void stage(std::span<const unsigned char> bytes) {
    if (!bytes.empty()) std::memcpy(stage_.data() + staged_, bytes.data(), bytes.size());
    staged_ += bytes.size();
  }
  void write_past_stage(std::span<const unsigned char> bytes);
  void hand_over();

  LineWriter& out_;
  RowFormat format_;
  std::array<unsigned char, kStageSize> stage_{};
  std::size_t staged_ = 0;  // bytes in [0, staged_) of stage_ are the row's so far
};

}  // namespace fieldsift
