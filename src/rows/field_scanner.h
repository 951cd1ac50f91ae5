// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "rows/field_list.h"
#include "textio/byte_vector.h"
#include "textio/heap_bytes.h"

namespace fieldsift {

// A named field of one message, as the scanner found it.
struct FieldValue {
  std::span<const unsigned char> name;   // as given, without its colon
  std::span<const unsigned char> value;  // empty when absent
  bool present = false;
};

// Collects, from one message's header at a time, the value of the first
// occurrence of each named field. A field begins on a line that does not
// begin with SP or TAB and has a colon; its name is what stands before the
// first colon, SP and TAB before the colon left out, compared with ASCII
// letters without case. Its value is the rest of that line and of the lines
// after it that begin with SP or TAB, each line end (LF, or CR LF) between
// them removed and their white space kept, then SP and TAB dropped from
// both ends. A header's first line that begins "From " is its separator, no
// field. The header's bytes may come cut anywhere; they are looked at a line
// start at a time, found with memchr, and values copied in runs.
class FieldScanner {
 public:
  // The names are not copied: they must outlive the scanner.
  explicit FieldScanner(const FieldList& fields);

  // A new header follows; the last one's values are forgotten.
  void begin();
  void feed(std::span<const unsigned char> bytes);
  // The header has ended.
  void finish();

  // Whether some value could not be held (the system refused memory) since
  // begin(): the values are then incomplete and not to be used.
  [[nodiscard]] bool failed() const { return !slots_ || values_.failed() || name_.failed(); }

  [[nodiscard]] std::size_t size() const { return size_; }
  // The i-th named field, i < size(); its value stays valid until begin().
  [[nodiscard]] FieldValue field(std::size_t i) const;

 private:
  // What a named field holds while its header is read.
  struct Slot {
    const unsigned char* name;  // name_size bytes of the argument
    std::size_t name_size;
    std::size_t value_start;  // in values_
    std::size_t value_size;
    bool present;
  };

  // Where the header stands between two calls.
  enum class Place {
    LineStart,
    InName,      // a line whose name may be wanted; name_ holds its first bytes
    InValue,     // inside a line of the value being collected
    PassingOver  // inside a line nobody wants
  };

  const unsigned char* at_line_start(const unsigned char* p);
  const unsigned char* in_name(const unsigned char* p, const unsigned char* end);
  const unsigned char* in_value(const unsigned char* p, const unsigned char* end);
  const unsigned char* pass_over(const unsigned char* p, const unsigned char* end);
  [[nodiscard]] bool carry_name(const unsigned char* p, const unsigned char* end);
  [[nodiscard]] Slot* wanted(std::span<const unsigned char> name);
  void append_value(const unsigned char* p, const unsigned char* end);
  void close_value();

  HeapArray<Slot> slots_;  // size_ of them, in the order named; null if refused
  std::size_t size_;
  // Bytes a line's name is kept of, when the name is cut by the end of the
  // bytes: the longest listed name, and at least the separator's "From ".
  std::size_t name_limit_;
  std::array<bool, 256> first_bytes_{};  // the first bytes of the names, in both cases
  ByteVector values_;  // the values found so far in this header, one after another
  ByteVector name_;    // in InName, the name's bytes so far, at most name_limit_
  Place place_ = Place::LineStart;
  Slot* open_ = nullptr;       // the slot whose value is being collected, if any
  bool first_line_ = true;     // no line of this header has started yet
  bool in_first_line_ = true;  // the line being read is the header's first
  bool held_cr_ = false;  // in InValue: a CR ended the last bytes; a LF next makes it a line end
};

}  // namespace fieldsift
