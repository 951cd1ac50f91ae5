// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "rows/column_list.h"

namespace fieldsift {

// What headsift is asked to do, told by its options alone.
enum class Request {
  Blocks,  // each message's header as it came
  Rows,    // one row a message: -f
  Help,
  Version,
  Misused,   // a usage error: nothing is read
  NoMemory,  // no room for the -f list: nothing is read
};

struct HeadsiftOptions {
  Request request = Request::Blocks;
  // Each valued option's value as given; null (not empty) when not given.
  std::string_view fields;   // Rows: the -f list
  ColumnList columns;        // Rows: its columns
  std::string_view output;   // -o: the file that takes standard output's place
  bool json = false;         // Rows: JSON Lines rather than TSV
  bool csv = false;          // Rows: CSV rather than TSV
  bool bom = false;          // Rows, CSV: a byte order mark first
  bool decode = false;       // Rows: encoded words as UTF-8
  std::string_view culprit;  // Misused: the argument at fault
  std::string_view why;      // Misused: what is wrong with it
};

// Options may stand anywhere before a "--", and all of them are understood
// before a byte is read and before --help or --version acts: the first
// misuse among them decides, the -f list's columns included, and failing
// one, the first --help or --version.
// -f takes its list from the rest of its argument or from the next one
// (so does --fields, after "=" or as the next argument); -o and --output
// take a file name alike.
[[nodiscard]] HeadsiftOptions read_options(std::span<const char* const> args);

// The FILE arguments in turn, read as read_options reads them: every
// argument that is neither an option nor an option's value, and every one
// after a "--".
class FileArguments {
 public:
  explicit FileArguments(std::span<const char* const> args) : args_(args) {}

  // The next FILE, or null when none is left.
  [[nodiscard]] const char* next();

 private:
  std::span<const char* const> args_;
  std::size_t next_ = 1;  // args_[0] is the program's name
  bool options_ended_ = false;
};

}  // namespace fieldsift
