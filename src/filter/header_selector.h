// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "bytes/ascii.h"
#include "filter/line_kind.h"
#include "textio/scan/byte_match.h"

namespace fieldsift {

// Decides, line by line, which lines belong to the named header field: a
// line that starts with the name (ASCII letters compared without case) and
// the continuation lines after it. Knows nothing of messages or bodies.
class HeaderSelector {
 public:
  // The name's bytes are not copied: they must outlive the selector.
  explicit HeaderSelector(std::string_view name);

  // Whether the line is to be written; moves the state.
  [[nodiscard]] bool feed(std::span<const unsigned char> line);

  // Whether the lines of a field are being written.
  [[nodiscard]] bool printing() const { return state_ == State::Printing; }

  // While printing, a line beginning with `first` is next. Where that line
  // surely ends the field unwritten (an empty line, or another field's
  // start), moves on as feed() would, so the line need not be read at all.
  void pass_over_line_starting(unsigned char first);

  // While no field is being printed, only a line whose first byte folds to
  // the name's can change anything: the bytes this matches. None when any
  // line might.
  [[nodiscard]] std::optional<ByteMatch> awaited_first_byte() const {
    if (state_ == State::Printing || name_.empty()) return std::nullopt;
    return ByteMatch{folded_[0], case_bits_[0]};
  }

 private:
  enum class State { Skipping, Printing };

  [[nodiscard]] bool starts_with_name(std::span<const unsigned char> line) const;

  // How much of the name is kept folded, so that any name is compared without
  // memory of its own: a line that gets past these bytes is rare.
  static constexpr std::size_t kFoldedSize = 64;

  [[nodiscard]] bool rest_matches(std::span<const unsigned char> line) const;

  std::string_view name_;
  std::size_t folded_size_ = 0;  // name bytes in folded_ and case_bits_: at most kFoldedSize
  std::array<unsigned char, kFoldedSize> folded_{};  // the name's first bytes, A-Z folded to a-z
  // Per name byte: kCaseBit where it is a letter, which folds a line's byte.
  std::array<unsigned char, kFoldedSize> case_bits_{};
  State state_ = State::Skipping;
};

}  // namespace fieldsift
