// SPDX-License-Identifier: BSD-2-Clause
// The row writer's CSV: fields quoted where they must be, as RFC 4180 has
// them, and always UTF-8.
#include <algorithm>
#include <cstring>

#include "bytes/ascii.h"
#include "bytes/utf8.h"
#include "rows/row_escapes.h"
#include "rows/row_writer.h"

namespace fieldsift {

void RowWriter::write_csv_row(std::uint64_t offset, std::span<const Cell> cells) {
  write_input();
  write(",");
  write_number(offset);
  for (const Cell& c : cells) {
    write(",");
    if (c.kind == CellKind::Text) {
      write_csv_field(c.bytes);
    } else if (c.kind == CellKind::List) {
      // One field: quoted if any item needs it, each item's quotes doubled.
      bool quoted = false;
      for (ListItems any(c.bytes); !any.empty() && !quoted;) {
        const std::span<const unsigned char> item = any.next();
        quoted = std::ranges::any_of(
            item, [](unsigned char b) { return b == ',' || b == '"' || b == '\r' || b == '\n'; });
      }
      if (quoted) write("\"");
      write_spaced(c.bytes,
                   [this](std::span<const unsigned char> item) { write_csv_text(item, 0); });
      if (quoted) write("\"");
    } else if (c.kind == CellKind::Number) {
      write_number(c.number);
    }
  }
  write("\r\n");
}

// A field quoted only where it needs to be.
void RowWriter::write_csv_field(std::span<const unsigned char> bytes) {
  // Staged as it is until a byte may make it quoted; a field it need not
  // quote goes on from there. Where the whole field fitted, the scan
  // stopped at the first such byte.
  const bool fits = fits_stage(bytes.size());
  const std::size_t staged = stage_plain(bytes, RowScan::Csv);
  if (staged == bytes.size()) return;
  const std::size_t first = fits ? staged : next_csv_check(bytes, staged);
  const bool quoted = bytes[first] < 0x80 || next_csv_quoting(bytes, first) < bytes.size();
  if (!quoted) return write_csv_text(bytes.subspan(staged), first - staged);
  if (fits) {
    // The opening quote goes in before the bytes staged, which are as
    // plain inside quotes: the field fitted whole, and a byte of it is not
    // staged yet, so the quote has room.
    unsigned char* const field = stage_ + staged_ - staged;
    std::memmove(field + 1, field, staged);
    *field = '"';
    ++staged_;
    write_csv_text(bytes.subspan(staged), 0);
  } else {
    write("\"");  // nothing of it was staged
    write_csv_text(bytes, first);
  }
  write("\"");
}

// A field's text inside its quotes, if any: each " doubled, and U+FFFD for
// each byte that begins no well-formed UTF-8 sequence.
void RowWriter::write_csv_text(std::span<const unsigned char> bytes, std::size_t from) {
  std::size_t run = stage_plain(bytes, RowScan::CsvQuoted);  // [run, i) are yet to be written
  if (run == bytes.size()) return;
  for (std::size_t i = next_csv_quoted_check(bytes, std::max(from, run)); i < bytes.size();
       i = next_csv_quoted_check(bytes, i)) {
    if (bytes[i] == '"') {
      write(bytes.subspan(run, i + 1 - run));
      run = i++;  // the quote goes again, doubled
      continue;
    }
    const std::size_t kept = well_formed_length(bytes.subspan(i));
    if (kept > 0) {
      i += kept;
      continue;
    }
    write(bytes.subspan(run, i - run));
    write(kReplacementBytes);
    run = ++i;
  }
  write(bytes.subspan(run));
}

// The input's name, a byte at a time: quoted where it must be, control
// bytes as '?', U+FFFD for a byte that begins no UTF-8 sequence.
void RowWriter::write_csv_name(std::span<const unsigned char> name) {
  const bool quoted =
      std::ranges::any_of(name, [](unsigned char b) { return b == ',' || b == '"'; });
  if (quoted) write("\"");
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t kept = name[i] >= 0x80 ? well_formed_length(name.subspan(i)) : 1;
    if (kept == 0) {
      write(kReplacementBytes);
      ++i;
      continue;
    }
    if (name[i] == '"') write("\"");
    if (kept == 1) {
      const unsigned char shown = shown_in_name(name[i]);
      write({&shown, 1});
    } else {
      write(name.subspan(i, kept));
    }
    i += kept;
  }
  if (quoted) write("\"");
}

}  // namespace fieldsift
