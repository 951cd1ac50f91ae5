// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "filter/line_kind.h"

namespace fieldsift {

// Decides, line by line, which lines belong to the named header field: a
// line that starts with the name (ASCII letters compared without case) and
// the continuation lines after it. Knows nothing of messages or bodies.
class HeaderSelector {
 public:
  explicit HeaderSelector(std::string_view name);

  // Whether the line is to be written; moves the state.
  [[nodiscard]] bool feed(std::span<const unsigned char> line);

  // While no field is being printed, only a line whose first byte folds to
  // this one can change anything; none when any line might.
  [[nodiscard]] std::optional<unsigned char> awaited_first_byte() const {
    if (state_ == State::Printing || folded_name_.empty()) return std::nullopt;
    return static_cast<unsigned char>(folded_name_[0]);
  }

 private:
  enum class State { Skipping, Printing };

  [[nodiscard]] bool starts_with_name(std::span<const unsigned char> line) const;

  std::string folded_name_;  // the name with A-Z folded to a-z
  std::string case_bits_;    // per name byte: 0x20 where it is a letter, which folds a line's byte
  State state_ = State::Skipping;
};

[[nodiscard]] constexpr bool is_letter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

[[nodiscard]] constexpr unsigned char fold_case(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

}  // namespace fieldsift
