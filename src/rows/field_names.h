// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "bytes/heap_bytes.h"
#include "rows/name_index.h"
#include "textio/scan/byte_match.h"

namespace fieldsift {

// A named field while a header is read: its name as given, and where its
// value lies among the scanner's values once it is found.
struct FieldSlot {
  const unsigned char* name;  // name_size bytes of the argument
  std::size_t name_size;
  bool can_match;  // holds no LF and ends in no SP or TAB: a line may name it
  bool present;
  std::size_t value_start;
  std::size_t value_size;
  // A value of one line is left where it stands in the bytes fed, if it is
  // whole there: its first byte, or null when it is among the scanner's;
  // kept when it was copied from there later.
  const unsigned char* in_place;
  bool kept;
};

// Which wanted field a header line names. A line names a field when what
// stands before its first colon is the field's name (ASCII letters without
// case) and then nothing but SP and TAB; a header's first line that begins
// "From " is its separator and names none. A field already found in the
// header is wanted no more. A few names are tried in turn, more looked up
// by hash, so a line costs the same for a list of one name or thousands.
class FieldNames {
 public:
  // The names, none empty and no two the same field's, are not copied:
  // they must outlive the table.
  explicit FieldNames(std::span<const std::string_view> names);

  // False when there was no memory for the table.
  [[nodiscard]] bool valid() const { return slots_ != nullptr && index_.valid(); }
  [[nodiscard]] std::span<FieldSlot> slots() { return {slots_.get(), valid() ? size_ : 0}; }
  [[nodiscard]] std::span<const FieldSlot> slots() const {
    return {slots_.get(), valid() ? size_ : 0};
  }
  // The names' first bytes in both cases: only a line that begins with one
  // may name a field.
  [[nodiscard]] const ByteSet& first_bytes() const { return first_bytes_; }
  // Whether a line that begins with these two bytes may name a field: a
  // name begins so, in either case, or a one-byte name with the first.
  [[nodiscard]] bool may_begin(unsigned char first, unsigned char second) const {
    const std::size_t pair = std::size_t{first} << 8U | second;
    return (first_pairs_[pair / 64] >> (pair % 64) & 1U) != 0;
  }
  // How much of a line's start tells what it names: the longest name, and
  // at least the separator's "From ".
  [[nodiscard]] std::size_t name_limit() const { return name_limit_; }

  // What the line that starts at line names, told from where it stands in
  // [line, end): the field, if wanted, and the colon after its name; known
  // is false when the bytes end before that can be told.
  struct Found {
    FieldSlot* slot;
    const unsigned char* colon;
    bool known;
  };
  [[nodiscard]] Found named_at(const unsigned char* line, const unsigned char* end,
                               bool first_line);

  // The field, if wanted, that a line names whose first colon has name (the
  // first name_limit() bytes of it at least, with only SP and TAB after them) before it.
  [[nodiscard]] FieldSlot* named_by(std::span<const unsigned char> name, bool first_line);

 private:
  // Up to so many names are tried one after another, more looked up by hash.
  static constexpr std::size_t kFewNames = 4;

  // A name of up to two words' bytes as a line's first bytes must be once
  // the case bit is set where the name has a letter: its first word (the
  // name's bytes, the rest zero), and its last word, at tail_at, when it is
  // longer (when not, a word that any bytes match). Setting the case bit
  // makes only a letter's other case the letter.
  struct NameWords {
    std::uint64_t head = 0, head_case = 0, head_mask = 0;
    std::uint64_t tail = ~std::uint64_t{0}, tail_case = ~std::uint64_t{0};
    std::size_t tail_at = 0;
  };
  static constexpr std::size_t kWord = sizeof(std::uint64_t);
  [[nodiscard]] static NameWords words_of(std::span<const unsigned char> name);
  // Whether the line, of at least kWord bytes, begins with the name.
  [[nodiscard]] static bool begins_with(const unsigned char* line, const NameWords& words);

  [[nodiscard]] FieldSlot* wanted(std::span<const unsigned char> name);
  [[nodiscard]] std::optional<Found> named_among_few(std::span<const unsigned char> line);
  void add_first_pairs(unsigned char first, std::optional<unsigned char> second);
  void set_first_matches();

  HeapArray<FieldSlot> slots_;  // size_ of them, in the order named; null if refused
  std::size_t size_;
  NameIndex index_;  // of slots_, by their names
  std::size_t name_limit_ = 0;
  std::array<NameWords, kFewNames> words_{};  // of the slots, when there are a few
  // Then, by a line's first byte, 1 + the first slot whose name begins with
  // it (0 for none), and for each slot 1 + the next such.
  std::array<std::uint8_t, 256> few_first_{};
  std::array<std::uint8_t, kFewNames> few_next_{};
  ByteSet first_bytes_;
  std::array<std::uint64_t, 256 * 256 / 64> first_pairs_{};  // a bit for each pair may_begin takes
};

}  // namespace fieldsift
