// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_writer.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "bytes/bytes_of.h"
#include "bytes/utf8.h"
#include "rows/row_escapes.h"

namespace fieldsift {

void RowWriter::write(std::string_view text) { write(bytes_of(text)); }

// What is staged goes first; bytes that would fill the stage go on at once.
void RowWriter::write_past_stage(std::span<const unsigned char> bytes) {
  hand_over();
  if (bytes.size() < kStageSize) return stage(bytes);
  (void)out_.write_bytes(bytes);  // failures are the LineWriter's to tell
}

void RowWriter::hand_over() {
  (void)out_.write_bytes(std::span(stage_).first(staged_));
  staged_ = 0;
}

void RowWriter::write_row(std::span<const unsigned char> input, std::uint64_t offset,
                          std::span<const FieldValue> fields) {
  if (format_ == RowFormat::Tsv) {
    write_tsv_row(input, offset, fields);
  } else {
    write_json_row(input, offset, fields);
  }
  hand_over();
}

void RowWriter::write_tsv_row(std::span<const unsigned char> input, std::uint64_t offset,
                              std::span<const FieldValue> fields) {
  write_tsv_column(input);
  write("\t");
  write_offset(offset);
  for (const FieldValue& f : fields) {
    write("\t");
    write_tsv_column(f.value);
  }
  write("\n");
}

void RowWriter::write_json_row(std::span<const unsigned char> input, std::uint64_t offset,
                               std::span<const FieldValue> fields) {
  write("{\"input\":");
  write_json_string(input);
  write(",\"offset\":");
  write_offset(offset);
  write(",\"fields\":{");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldValue& f = fields[i];
    if (i > 0) write(",");
    write_json_string(f.name);
    write(":");
    if (f.present) {
      write_json_string(f.value);
    } else {
      write("null");
    }
  }
  write("}}\n");
}

// Runs of bytes that need no escape go out whole.
void RowWriter::write_tsv_column(std::span<const unsigned char> bytes) {
  std::size_t run = 0;  // bytes in [run, i) are yet to be written as they are
  for (std::size_t i = next_tsv_escape(bytes, 0); i < bytes.size();
       i = next_tsv_escape(bytes, run)) {
    write(bytes.subspan(run, i - run));
    write(tsv_escape(bytes[i]));
    run = i + 1;
  }
  write(bytes.subspan(run));
}

// A quoted string; runs of bytes that need no escape go out whole.
void RowWriter::write_json_string(std::span<const unsigned char> bytes) {
  write("\"");
  std::size_t run = 0;  // bytes in [run, i) are yet to be written as they are
  for (std::size_t i = next_json_check(bytes, 0); i < bytes.size(); i = next_json_check(bytes, i)) {
    const bool eight = bytes[i] >= 0x80;
    const std::size_t kept = eight ? well_formed_length(bytes.subspan(i)) : 0;
    if (kept > 0) {
      i += kept;
      continue;
    }
    write(bytes.subspan(run, i - run));
    UnicodeEscape escape{};
    if (eight) {
      write(kReplacementBytes);
    } else {
      write(json_escape(bytes[i], escape));
    }
    run = ++i;
  }
  write(bytes.subspan(run));
  write("\"");
}

void RowWriter::write_offset(std::uint64_t offset) {
  std::array<char, std::numeric_limits<std::uint64_t>::digits10 + 1> digits{};
  const std::to_chars_result r =
      std::to_chars(digits.data(), digits.data() + digits.size(), offset);
  write(std::string_view(digits.data(), static_cast<std::size_t>(r.ptr - digits.data())));
}

}  // namespace fieldsift
