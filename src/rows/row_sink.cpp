// SPDX-License-Identifier: BSD-2-Clause
#include "rows/row_sink.h"

#include <cerrno>

#include "bytes/bytes_of.h"
#include "decode/encoded_words.h"

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
  if (!take_values()) {
    error_ = ENOMEM;
    return;
  }
  writer_.write_row(input_, offset_, {values_.get(), scanner_.size()});
}

bool RowSink::take_values() {
  if (scanner_.failed() || !values_) return false;
  for (std::size_t i = 0; i < scanner_.size(); ++i) values_[i] = scanner_.field(i);
  return !decode_ || decode_values();
}

// Each value's encoded words, decoded one value after another into one
// buffer; the values point into it once it has stopped growing.
bool RowSink::decode_values() {
  if (!decoded_ends_) return false;
  decoded_.clear();
  for (std::size_t i = 0; i < scanner_.size(); ++i) {
    if (values_[i].present && !decode_words(values_[i].value, decoded_)) return false;
    decoded_ends_[i] = decoded_.size();
  }
  for (std::size_t i = 0, start = 0; i < scanner_.size(); start = decoded_ends_[i++])
    values_[i].value = decoded_.bytes().subspan(start, decoded_ends_[i] - start);
  return true;
}

}  // namespace fieldsift
