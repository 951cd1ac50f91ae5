// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "bytes/byte_vector.h"
#include "rows/field_names.h"
#include "rows/field_value.h"

namespace fieldsift {

// Collects, from one message's header at a time, the value of the first
// occurrence of each named field (see FieldNames for the lines that name
// one). Its value is the rest of that line after the colon and the lines
// after it that begin with SP or TAB, each line end (LF, or CR LF) between
// them removed and their white space kept, then SP and TAB dropped from
// both ends. The header's bytes may come cut anywhere. Only line starts are
// looked at, found by the scan kernels and memchr, and values copied in runs;
// once every field is found, nothing more of the header. A value of one line
// is not copied at all where the bytes that end the header (with its empty
// line) hold it: they stay as they are until the values are read.
class FieldScanner {
 public:
  // The names, as FieldNames takes them, are not copied: they must outlive
  // the scanner. With one_space_folds, the run of SP and TAB that begins
  // each line after a value's first becomes one SP, as mail readers show a
  // folded line.
  explicit FieldScanner(std::span<const std::string_view> names, bool one_space_folds = false)
      : names_(names), one_space_folds_(one_space_folds) {}

  // A new header follows; the last one's values are forgotten.
  void begin();
  // The next bytes of the header. Those that do not end it need not stay as
  // they are after the call.
  void feed(std::span<const unsigned char> bytes);
  // The header's bytes from these, as feed() takes them, up to the end of
  // its empty line or of the bytes: answers where that line starts, its
  // index, or bytes.size() if the header goes on past them. The loop over
  // the lines that may name a wanted field stops at the empty line too, so
  // that the bytes before their last are looked at once.
  [[nodiscard]] std::size_t take_header(std::span<const unsigned char> bytes);
  // The header has ended. Its values may lie in the bytes that ended it,
  // which must stay as they are while they are read, unless keep: then the
  // values are held here until begin().
  void finish(bool keep = false);

  // Whether some value could not be held (the system refused memory) since
  // begin(): the values are then incomplete and not to be used.
  [[nodiscard]] bool failed() const {
    return !names_.valid() || values_.failed() || kept_.failed() || name_.failed();
  }

  [[nodiscard]] std::size_t size() const { return names_.slots().size(); }
  // The i-th named field, i < size(); its value stays valid until begin().
  [[nodiscard]] FieldValue field(std::size_t i) const;

 private:
  // Where the header stands between two calls.
  enum class Place {
    LineStart,
    InName,       // a line that may name a wanted field; name_ holds its first bytes if it is cut
    InValue,      // inside a line of the value being collected
    PassingOver,  // inside a line nobody wants
    Done,         // every field is found: the rest of the header need not be looked at
  };

  // Where the loop over lines stopped: at the start of the header's empty
  // line, or where the steps go on.
  struct Reached {
    const unsigned char* at;
    bool header_end;
  };
  Reached scan_lines(const unsigned char* p, const unsigned char* end);
  void steps(const unsigned char* p, const unsigned char* end);
  [[nodiscard]] static Place place_at(const unsigned char* end);
  const unsigned char* at_line_start(const unsigned char* p, const unsigned char* end);
  const unsigned char* in_name(const unsigned char* p, const unsigned char* end);
  const unsigned char* in_cut_name(const unsigned char* p, const unsigned char* end);
  const unsigned char* open_value(FieldSlot* slot, const unsigned char* colon);
  const unsigned char* in_value(const unsigned char* p, const unsigned char* end);
  const unsigned char* pass_over(const unsigned char* p, const unsigned char* end);
  [[nodiscard]] bool carry_name(const unsigned char* p, const unsigned char* end);
  void leave_in_place(std::span<const unsigned char> line);
  void append_value(const unsigned char* p, const unsigned char* end);
  void close_value();
  void keep_values();

  FieldNames names_;
  ByteVector values_;  // the values found so far in this header, one after another
  ByteVector kept_;    // values copied from the bytes fed, which an open value's may be among
  ByteVector name_;    // in InName, a cut line's first bytes so far, at most names_.name_limit()
  Place place_ = Place::LineStart;
  FieldSlot* open_ = nullptr;  // the slot whose value is being collected, if any
  std::size_t found_ = 0;      // slots present in this header
  std::size_t in_place_ = 0;   // slots whose value lies in the bytes fed
  bool first_line_ = true;     // no line of this header has started yet
  bool in_first_line_ = true;  // the line being read is the header's first
  bool held_cr_ = false;  // in InValue: a CR ended the last bytes; a LF next makes it a line end
  bool one_space_folds_;
  bool in_fold_ = false;  // in InValue, with one_space_folds_: only SP and TAB of this line so far
};

}  // namespace fieldsift
