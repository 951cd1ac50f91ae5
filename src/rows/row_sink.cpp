// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_sink.h"

#include <cerrno>

#include "textio/line.h"

namespace fieldsift {

void RowSink::begin_input(std::string_view name) {
  input_ = bytes_of(name);
  error_ = 0;
}

void RowSink::begin_message(std::uint64_t offset) {
  offset_ = offset;
  scanner_.begin();
}

void RowSink::end_header() {
  scanner_.finish();
  if (scanner_.failed()) {
    error_ = ENOMEM;
    return;
  }
  writer_.write_row(input_, offset_, scanner_);
}

}  // namespace fieldsift
