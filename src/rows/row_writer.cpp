// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "rows/utf8.h"
#include "textio/line.h"

namespace fieldsift {
namespace {

// The bytes a TSV column holds as they are: all but the four it escapes.
constexpr std::array<bool, 256> kTsvPlain = [] {
  std::array<bool, 256> plain{};
  for (std::size_t c = 0; c < plain.size(); ++c)
    plain[c] = c != '\\' && c != '\t' && c != '\r' && c != '\n';
  return plain;
}();

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

// How a byte stands in a JSON string: as it is, escaped, or as the first of
// bytes that must be checked for well-formed UTF-8.
enum class JsonByte : unsigned char { Plain, Escaped, Eight };

constexpr std::array<JsonByte, 256> kJsonBytes = [] {
  std::array<JsonByte, 256> kinds{};
  for (std::size_t c = 0; c < kinds.size(); ++c) {
    kinds[c] = c >= 0x80                           ? JsonByte::Eight
               : c < 0x20 || c == '"' || c == '\\' ? JsonByte::Escaped
                                                   : JsonByte::Plain;
  }
  return kinds;
}();

// "\u00XX": a control byte without an escape of its own.
using UnicodeEscape = std::array<char, sizeof "\\u00XX" - 1>;

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

}  // namespace

void RowWriter::write(std::string_view text) { write(bytes_of(text)); }

void RowWriter::write_row(std::span<const unsigned char> input, std::uint64_t offset,
                          const FieldScanner& fields) {
  if (format_ == RowFormat::Tsv) {
    write_tsv_row(input, offset, fields);
  } else {
    write_json_row(input, offset, fields);
  }
}

void RowWriter::write_tsv_row(std::span<const unsigned char> input, std::uint64_t offset,
                              const FieldScanner& fields) {
  write_tsv_column(input);
  write("\t");
  write_offset(offset);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    write("\t");
    write_tsv_column(fields.field(i).value);
  }
  write("\n");
}

void RowWriter::write_json_row(std::span<const unsigned char> input, std::uint64_t offset,
                               const FieldScanner& fields) {
  write("{\"input\":");
  write_json_string(input);
  write(",\"offset\":");
  write_offset(offset);
  write(",\"fields\":{");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldValue f = fields.field(i);
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
  const auto escaped = [](unsigned char c) { return !kTsvPlain[c]; };
  for (auto it = std::ranges::find_if(bytes, escaped); it != bytes.end();
       it = std::ranges::find_if(bytes, escaped)) {
    const auto run = static_cast<std::size_t>(it - bytes.begin());
    write(bytes.first(run));
    write(tsv_escape(*it));
    bytes = bytes.subspan(run + 1);
  }
  write(bytes);
}

// A quoted string; runs of bytes that need no escape go out whole.
void RowWriter::write_json_string(std::span<const unsigned char> bytes) {
  write("\"");
  std::size_t run = 0;  // bytes in [run, i) are yet to be written as they are
  std::size_t i = 0;
  while (i < bytes.size()) {
    const JsonByte kind = kJsonBytes[bytes[i]];
    const std::size_t kept = kind == JsonByte::Plain   ? 1
                             : kind == JsonByte::Eight ? well_formed_length(bytes.subspan(i))
                                                       : 0;
    if (kept > 0) {
      i += kept;
      continue;
    }
    write(bytes.subspan(run, i - run));
    UnicodeEscape escape{};
    if (kind == JsonByte::Eight) {
      write(kReplacementCharacter);
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
