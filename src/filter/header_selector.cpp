// SPDX-License-Identifier: BSD-2-Clause
#include "filter/header_selector.h"

#include <cstdint>
#include <cstring>

namespace fieldsift {

HeaderSelector::HeaderSelector(std::string_view name) : folded_name_(name), case_bits_(name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    folded_name_[i] = static_cast<char>(fold_case(c));
    case_bits_[i] = is_letter(c) ? 0x20 : 0;
  }
}

namespace {

std::uint64_t word_at(const void* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace

// Where the name has a letter, setting bit 0x20 of the line's byte folds it
// (only the two cases of that letter then meet it); elsewhere the bytes must
// be equal. Eight bytes are compared at a time. A line shorter than the name
// cannot match: its end meets a byte of the name. A NUL inside the line
// never matches either, as no name holds one.
bool HeaderSelector::starts_with_name(std::span<const unsigned char> line) const {
  const std::size_t n = folded_name_.size();
  if (line.size() < n) return false;
  std::size_t i = 0;
  for (; n - i >= sizeof(std::uint64_t); i += sizeof(std::uint64_t)) {
    if ((word_at(line.data() + i) | word_at(case_bits_.data() + i)) !=
        word_at(folded_name_.data() + i))
      return false;
  }
  for (; i < n; ++i) {
    if ((line[i] | static_cast<unsigned char>(case_bits_[i])) !=
        static_cast<unsigned char>(folded_name_[i]))
      return false;
  }
  return true;
}

bool HeaderSelector::feed(std::span<const unsigned char> line) {
  switch (classify(line)) {
    case LineKind::Blank:
      state_ = State::Skipping;
      return false;
    case LineKind::Dot:
    case LineKind::Continuation:
      return state_ == State::Printing;
    case LineKind::FieldStart:
      state_ = starts_with_name(line) ? State::Printing : State::Skipping;
      return state_ == State::Printing;
  }
  return false;
}

}  // namespace fieldsift
