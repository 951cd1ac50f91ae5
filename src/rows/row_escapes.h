// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace fieldsift {

// Which bytes of a column each row format escapes, found a block at a time
// by the scan kernels, as most values need no escape at all, and their
// escapes.

// The first byte at or after i that a TSV column escapes (backslash, TAB,
// CR, LF); bytes.size() if none.
[[nodiscard]] std::size_t next_tsv_escape(std::span<const unsigned char> bytes, std::size_t i);

// Which scan the bytes of a row are looked at by, for a writer that has
// them where a scan may read past them (see find_escape_padded).
enum class RowScan { Tsv, Json, Csv, CsvQuoted };

// The first byte of bytes that the scan stops at, as next_tsv_escape,
// next_json_check, next_csv_check and next_csv_quoted_check have it;
// bytes.size() if none. The kScanPadding bytes after them may be read.
[[nodiscard]] std::size_t first_stop_padded(std::span<const unsigned char> bytes, RowScan scan);

// The escape of a byte that next_tsv_escape found.
[[nodiscard]] std::string_view tsv_escape(unsigned char c);

// The first byte at or after i that a JSON string does not hold as it is
// unseen: one it escapes (below 0x20, " and \), or one of 80..FF, which may
// begin a UTF-8 sequence; bytes.size() if none.
[[nodiscard]] std::size_t next_json_check(std::span<const unsigned char> bytes, std::size_t i);

// The first byte at or after i that a CSV field does not hold as it is
// unseen: one that makes it quoted (comma, ", CR, LF), or one of 80..FF;
// bytes.size() if none.
[[nodiscard]] std::size_t next_csv_check(std::span<const unsigned char> bytes, std::size_t i);

// The first byte at or after i that makes a CSV field quoted: a comma, ",
// CR or LF; bytes.size() if none.
[[nodiscard]] std::size_t next_csv_quoting(std::span<const unsigned char> bytes, std::size_t i);

// The same inside a quoted field, where a comma, CR and LF stand as they are:
// a ", or one of 80..FF.
[[nodiscard]] std::size_t next_csv_quoted_check(std::span<const unsigned char> bytes,
                                                std::size_t i);

// "\u00XX": room for the escape of a control byte without one of its own.
using UnicodeEscape = std::array<char, sizeof "\\u00XX" - 1>;

// The escape of a byte below 0x20, or of " or \; escape holds it if need be.
[[nodiscard]] std::string_view json_escape(unsigned char c, UnicodeEscape& escape);

}  // namespace fieldsift
