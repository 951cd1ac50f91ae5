// SPDX-License-Identifier: BSD-2-Clause
#include "filter/header_selector.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fieldsift {

HeaderSelector::HeaderSelector(std::string_view name)
    : name_(name), folded_size_(std::min(name.size(), kFoldedSize)) {
  for (std::size_t i = 0; i < folded_size_; ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    folded_[i] = fold_case(c);
    case_bits_[i] = is_letter(c) ? kCaseBit : 0;
  }
}

namespace {

std::uint64_t word_at(const void* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace

// Where the name has a letter, setting kCaseBit of the line's byte folds it
// (only the two cases of that letter then meet it); elsewhere the bytes must
// be equal. Eight bytes are compared at a time. A line shorter than the name
// cannot match: its end meets a byte of the name. A NUL inside the line
// never matches either, as no name holds one.
bool HeaderSelector::starts_with_name(std::span<const unsigned char> line) const {
  if (line.size() < name_.size()) return false;
  const std::size_t n = folded_size_;
  std::size_t i = 0;
  for (; n - i >= sizeof(std::uint64_t); i += sizeof(std::uint64_t)) {
    if ((word_at(line.data() + i) | word_at(case_bits_.data() + i)) != word_at(folded_.data() + i))
      return false;
  }
  for (; i < n; ++i) {
    if ((line[i] | case_bits_[i]) != folded_[i]) return false;
  }
  return rest_matches(line);
}

// The name beyond its folded bytes, a byte at a time.
bool HeaderSelector::rest_matches(std::span<const unsigned char> line) const {
  for (std::size_t i = folded_size_; i < name_.size(); ++i) {
    if (fold_case(line[i]) != fold_case(static_cast<unsigned char>(name_[i]))) return false;
  }
  return true;
}

void HeaderSelector::pass_over_line_starting(unsigned char first) {
  // A LF or NUL here makes the line blank; a continuation begins with other
  // white space, a "." line with a full stop, and only a line that begins
  // like the name can start it again.
  const bool blank = first == '\n' || first == '\0';
  if (blank || !(is_white_space(first) || first == '.' || name_.empty() ||
                 (first | case_bits_[0]) == folded_[0]))
    state_ = State::Skipping;
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
