// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "bytes/heap_bytes.h"

namespace fieldsift {

// What a column of a row shows of its message.
enum class View : unsigned char {
  Raw,        // the field's first value, unfolded
  Iso,        // its date-time in UTC, YYYY-MM-DDTHH:MM:SSZ
  Epoch,      // its date-time as seconds since 1970-01-01T00:00:00Z
  Addresses,  // the addr-specs of its address list
  Name,       // the display name of its first mailbox
  Ids,        // its msg-ids
  Size,       // computed: the message's length in bytes
  Parent,     // computed: the id of the message it answers
};

// A column as the list names it. key is how the user wrote it, without the
// blanks around it and the colon a raw column's name may end with: a JSON
// key, a CSV heading.
struct Column {
  std::string_view key;
  View view;
  std::size_t field;  // the field it reads, an index of ColumnList::fields()
  // Parent: the In-Reply-To field (field is References); else unused.
  std::size_t second_field;
};

// Why a list of columns was refused.
enum class ColumnListError {
  None,
  EmptyList,
  EmptyName,
  BeginsWithEquals,
  NamedTwice,
  UnknownView,
  NoMemory
};

// The words for a refusal; for BeginsWithEquals, NamedTwice and
// UnknownView, the name or column follows them after ": ".
[[nodiscard]] std::string_view describe(ColumnListError error);

// The columns of one "COLUMN[,COLUMN...]" argument in the order given. A
// column is NAME, the raw value of the field NAME (a colon after the name
// changes nothing); NAME:VIEW, a view of it (iso, epoch, addr, name, id,
// in any case); or :size or :parent, computed. Blanks around a column, its
// name and its view are dropped; a name's other bytes are as given. The
// fields the columns read are listed once each, named as first given,
// and those that :parent reads (References, In-Reply-To) after them. The
// argument is not copied: it must outlive the list.
class ColumnList {
 public:
  [[nodiscard]] std::span<const Column> columns() const { return {columns_.get(), columns_size_}; }
  [[nodiscard]] std::span<const std::string_view> fields() const {
    return {fields_.get(), fields_size_};
  }
  // Whether some column shows the message's size: its row waits for the
  // next message's offset, or the input's end.
  [[nodiscard]] bool needs_size() const { return needs_size_; }

 private:
  friend struct ColumnListParser;

  HeapArray<Column> columns_;
  std::size_t columns_size_ = 0;
  HeapArray<std::string_view> fields_;
  std::size_t fields_size_ = 0;
  bool needs_size_ = false;
};

struct ColumnListResult {
  ColumnList list;  // empty unless error is None
  ColumnListError error = ColumnListError::None;
  std::string_view culprit;  // for NamedTwice and UnknownView, the column as given
};

[[nodiscard]] ColumnListResult parse_column_list(std::string_view argument);

}  // namespace fieldsift
