// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_escapes.h"

#include "textio/scan/line_scans.h"

namespace fieldsift {
namespace {

// The bytes each format's scan stops at.
constexpr EscapeSet kTsvEscapes = {0, 0xFF, {'\\', '\t', '\r', '\n'}};
constexpr EscapeSet kJsonChecks = {0x20, 0x7F, {'"', '\\', '"', '\\'}};
constexpr EscapeSet kCsvChecks = {0, 0x7F, {',', '"', '\r', '\n'}};
constexpr EscapeSet kCsvQuoting = {0, 0xFF, {',', '"', '\r', '\n'}};
constexpr EscapeSet kCsvQuotedChecks = {0, 0x7F, {'"', '"', '"', '"'}};

// The first byte at or after i that the set stops at.
std::size_t next_in(std::span<const unsigned char> bytes, std::size_t i, const EscapeSet& set) {
  return i + find_escape(bytes.subspan(i), set);
}

}  // namespace

std::string_view tsv_escape(unsigned char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\r':
      return "\\r";
    case '\n':
      return "\\n";
    default:
      return "\\\\";
  }
}

// The escape of a byte whose kind is Escaped; escape holds it if need be.
std::string_view json_escape(unsigned char c, UnicodeEscape& escape) {
  switch (c) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\b':
      return "\\b";
    case '\f':
      return "\\f";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    default:
      break;
  }
  static constexpr std::string_view kHex = "0123456789abcdef";
  escape = {'\\', 'u', '0', '0', kHex[c / 16], kHex[c % 16]};
  return {escape.data(), escape.size()};
}

std::size_t first_stop_padded(std::span<const unsigned char> bytes, RowScan scan) {
  switch (scan) {
    case RowScan::Tsv:
      return find_escape_padded(bytes, kTsvEscapes);
    case RowScan::Json:
      return find_escape_padded(bytes, kJsonChecks);
    case RowScan::Csv:
      break;
    case RowScan::CsvQuoted:
      return find_escape_padded(bytes, kCsvQuotedChecks);
  }
  return find_escape_padded(bytes, kCsvChecks);
}

std::size_t next_tsv_escape(std::span<const unsigned char> bytes, std::size_t i) {
  return next_in(bytes, i, kTsvEscapes);
}

// The next byte that is not plain: one to escape, or one to check for UTF-8.
std::size_t next_json_check(std::span<const unsigned char> bytes, std::size_t i) {
  return next_in(bytes, i, kJsonChecks);
}

std::size_t next_csv_check(std::span<const unsigned char> bytes, std::size_t i) {
  return next_in(bytes, i, kCsvChecks);
}

std::size_t next_csv_quoting(std::span<const unsigned char> bytes, std::size_t i) {
  return next_in(bytes, i, kCsvQuoting);
}

std::size_t next_csv_quoted_check(std::span<const unsigned char> bytes, std::size_t i) {
  return next_in(bytes, i, kCsvQuotedChecks);
}

}  // namespace fieldsift
