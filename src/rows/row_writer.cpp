// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "bytes/decimal.h"
#include "bytes/utf8.h"
#include "rows/row_escapes.h"

namespace fieldsift {
namespace {

constexpr std::array<unsigned char, 3> kByteOrderMark = {0xEF, 0xBB, 0xBF};

// The UTF-8 of U+2028 and U+2029, which JSON holds as they are but some
// readers of JSON Lines take for line ends, and their escapes.
constexpr std::array<unsigned char, 2> kSeparatorLead = {0xE2, 0x80};
constexpr unsigned char kLineSeparatorLast = 0xA8;
constexpr unsigned char kParagraphSeparatorLast = 0xA9;

bool is_tsv_escaped(unsigned char c) { return c == '\\' || c == '\t' || c == '\r' || c == '\n'; }

bool is_unicode_separator(std::span<const unsigned char> sequence) {
  return sequence.size() == 3 && sequence[0] == kSeparatorLead[0] &&
         sequence[1] == kSeparatorLead[1] &&
         (sequence[2] == kLineSeparatorLast || sequence[2] == kParagraphSeparatorLast);
}

}  // namespace

// What is staged goes first; bytes that would fill the stage go on at once.
// While an input's column is made, bytes go to it instead.
void RowWriter::write_past_stage(std::span<const unsigned char> bytes) {
  if (capture_ != nullptr) {
    (void)capture_->append(bytes);  // a refusal shows in its failed()
    return;
  }
  hand_over();
  if (bytes.size() < kStageSize) return stage(bytes);
  (void)out_.write_bytes(bytes);  // failures are the LineWriter's to tell
}

void RowWriter::stage_in_output() {
  const std::span<unsigned char> room = out_.room(own_stage_.size());
  in_output_ = !room.empty();
  stage_ = in_output_ ? room.data() : own_stage_.data();
}

// The rest of a row too long for the stage is staged apart.
void RowWriter::hand_over() {
  if (in_output_) {
    (void)out_.put(staged_);  // failures are the LineWriter's to tell
  } else {
    (void)out_.write_bytes({stage_, staged_});
  }
  staged_ = 0;
  in_output_ = false;
  stage_ = own_stage_.data();
}

// Each column's key in JSON, quoted, escaped and with its colon, is made
// once for every row here; where no memory could be had, it is made again
// each row.
void RowWriter::make_json_keys() {
  json_keys_.clear();
  json_key_ends_ = allocate_array<std::size_t>(columns_.size());
  if (!json_key_ends_) return;
  capture_ = &json_keys_;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    write_json_string(bytes_of(columns_[i].key));
    write(":");
    json_key_ends_[i] = json_keys_.size();
  }
  capture_ = nullptr;
  if (json_keys_.failed()) json_key_ends_.reset();
}

void RowWriter::write_json_key(std::size_t i) {
  if (!json_key_ends_) {
    write_json_string(bytes_of(columns_[i].key));
    return write(":");
  }
  const std::size_t start = i == 0 ? 0 : json_key_ends_[i - 1];
  write(json_keys_.bytes().subspan(start, json_key_ends_[i] - start));
}

void RowWriter::write_start(bool bom) {
  if (format_ == RowFormat::JsonLines) make_json_keys();
  if (bom) write(kByteOrderMark);
  if (format_ == RowFormat::Csv) {
    write("input,offset");
    for (const Column& c : columns_) {
      write(",");
      write_csv_field(bytes_of(c.key));
    }
    write("\r\n");
  }
  hand_over();
}

void RowWriter::begin_input(std::span<const unsigned char> input) {
  input_ = input;
  input_column_.clear();
  capture_ = &input_column_;
  switch (format_) {
    case RowFormat::Tsv:
      write_tsv_name(input);
      break;
    case RowFormat::JsonLines:
      write_json_string(input);
      break;
    case RowFormat::Csv:
      write_csv_name(input);
      break;
  }
  capture_ = nullptr;
}

// Where no memory could be had for the column, it is made again each row.
void RowWriter::write_input() {
  if (!input_column_.failed()) return write(input_column_.bytes());
  switch (format_) {
    case RowFormat::Tsv:
      return write_tsv_name(input_);
    case RowFormat::JsonLines:
      return write_json_string(input_);
    case RowFormat::Csv:
      return write_csv_name(input_);
  }
}

void RowWriter::write_row(std::uint64_t offset, std::span<const Cell> cells) {
  stage_in_output();
  switch (format_) {
    case RowFormat::Tsv:
      write_tsv_row(offset, cells);
      break;
    case RowFormat::JsonLines:
      write_json_row(offset, cells);
      break;
    case RowFormat::Csv:
      write_csv_row(offset, cells);
      break;
  }
  hand_over();
}

void RowWriter::write_tsv_row(std::uint64_t offset, std::span<const Cell> cells) {
  write_input();
  write("\t");
  write_number(offset);
  for (const Cell& c : cells) {
    write("\t");
    if (c.kind == CellKind::Text) {
      write_tsv_text(c.bytes);
    } else if (c.kind == CellKind::List) {
      write_spaced(c.bytes, [this](std::span<const unsigned char> item) { write_tsv_text(item); });
    } else if (c.kind == CellKind::Number) {
      write_number(c.number);
    }
  }
  write("\n");
}

void RowWriter::write_json_row(std::uint64_t offset, std::span<const Cell> cells) {
  write("{\"input\":");
  write_input();
  write(",\"offset\":");
  write_number(offset);
  write(",\"fields\":{");
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) write(",");
    write_json_key(i);
    write_json_cell(cells[i]);
  }
  write("}}\n");
}

void RowWriter::write_json_cell(const Cell& cell) {
  switch (cell.kind) {
    case CellKind::Absent:
      write("null");
      break;
    case CellKind::Text:
      write_json_string(cell.bytes);
      break;
    case CellKind::Number:
      write_number(cell.number);
      break;
    case CellKind::List: {
      write("[");
      for (ListItems items(cell.bytes); !items.empty();) {
        write_json_string(items.next());
        if (!items.empty()) write(",");
      }
      write("]");
      break;
    }
  }
}

// Runs of bytes that need no escape go out whole.
void RowWriter::write_tsv_escaped(std::span<const unsigned char> bytes, std::size_t run) {
  for (std::size_t i = next_tsv_escape(bytes, run); i < bytes.size();
       i = next_tsv_escape(bytes, run)) {
    write(bytes.subspan(run, i - run));
    write(tsv_escape(bytes[i]));
    run = i + 1;
  }
  write(bytes.subspan(run));
}

// A name is short and written once a row: a byte at a time.
void RowWriter::write_tsv_name(std::span<const unsigned char> name) {
  for (const unsigned char c : name) {
    if (is_tsv_escaped(c)) {
      write(tsv_escape(c));
    } else {
      const unsigned char shown = shown_in_name(c);
      write({&shown, 1});
    }
  }
}

// Runs of bytes that need no escape go out whole.
void RowWriter::write_json_checked(std::span<const unsigned char> bytes, std::size_t run) {
  for (std::size_t i = next_json_check(bytes, run); i < bytes.size();
       i = next_json_check(bytes, i)) {
    const bool eight = bytes[i] >= 0x80;
    const std::size_t kept = eight ? well_formed_length(bytes.subspan(i)) : 0;
    if (kept > 0 && !is_unicode_separator(bytes.subspan(i, kept))) {
      i += kept;
      continue;
    }
    write(bytes.subspan(run, i - run));
    UnicodeEscape escape{};
    if (kept > 0) {
      write(bytes[i + 2] == kLineSeparatorLast ? "\\u2028" : "\\u2029");
      i += kept - 1;
    } else if (eight) {
      write(kReplacementBytes);
    } else {
      write(json_escape(bytes[i], escape));
    }
    run = ++i;
  }
  write(bytes.subspan(run));
}

void RowWriter::write_number(std::uint64_t number) {
  DecimalText digits{};
  write(decimal(number, digits));
}

void RowWriter::write_number(std::int64_t number) {
  DecimalText digits{};
  write(decimal(number, digits));
}

}  // namespace fieldsift
