// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "message/header_sink.h"

namespace fieldsift {

// The message rule of headsift, applied to one input's bytes as they come,
// however they are cut. An input whose first line begins "From " is a
// mailbox, any other input one message. A message begins at the start of the
// input and, in a mailbox, at each line "From " met outside a header; its
// header runs from its first line to the first empty line (nothing, or a
// lone CR, before its LF), which goes with it. Headers go to the sink in
// whole spans; of a mailbox's body only the first bytes of lines are looked
// at, and of a single message's body none.
class HeaderCopier {
 public:
  explicit HeaderCopier(HeaderSink& sink) : sink_(sink) {}

  // The next bytes of the input.
  void feed(std::span<const unsigned char> bytes);

  // The input has ended. A header it ended inside is closed: its last line
  // ended with a LF if it has no line end, and a LF added as its empty line.
  // The copier is then ready for the next input.
  void finish();

 private:
  enum class Part {
    Opening,  // the input's first line, until its start tells whether it is a mailbox
    Header,
    Body,
  };
  // matched_ when the current line's start no longer matters.
  static constexpr std::size_t kInLine = SIZE_MAX;

  [[nodiscard]] std::size_t opening_step(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t header_step(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t header_scan(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t body_step(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t match_separator(std::span<const unsigned char> bytes);
  std::size_t end_header(std::span<const unsigned char> bytes);

  HeaderSink& sink_;
  Part part_ = Part::Opening;
  bool mailbox_ = false;  // the input's first line began "From "
  // Bytes of the current line's start matched so far: of "From " in the
  // opening line and in a mailbox's body, of an empty line's CR in a header;
  // or kInLine.
  std::size_t matched_ = 0;
  std::uint64_t offset_ = 0;  // in the input, of the next byte fed
};

}  // namespace fieldsift
