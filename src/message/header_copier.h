// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <span>

#include "textio/line_writer.h"

namespace fieldsift {

// The message rule of headsift, applied to one input's bytes as they come,
// however they are cut: a message begins at the start of the input and at
// each line "From " met outside a header; its header runs from its first
// line to the first empty line (nothing, or a lone CR, before its LF), which
// goes with it. Header bytes are handed to the writer as they are, in whole
// spans; a body's lines are passed over, only their first bytes looked at.
class HeaderCopier {
 public:
  explicit HeaderCopier(LineWriter& out) : out_(out) {}

  // The next bytes of the input.
  void feed(std::span<const unsigned char> bytes);

  // The input has ended. A header it ended inside is closed: its last line
  // ended with a LF if it has no line end, and a LF added as its empty line.
  void finish();

 private:
  // Where the input stands between two calls.
  enum class Place {
    InputStart,  // nothing read yet: a header begins here
    HeaderLineStart,
    HeaderAfterCr,  // a header line began with a CR: a LF next makes it the empty line
    HeaderInLine,   // inside a header line that is not empty
    BodyLineStart,  // "From " here begins a message
    BodyFrom,       // a body line began with from_matched_ bytes of "From "
    BodyInLine,
  };

  std::size_t end_header(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t at_header_line_start(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t in_header(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t at_body_line(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t in_body(std::span<const unsigned char> bytes);
  void write(std::span<const unsigned char> bytes) { (void)out_.write_bytes(bytes); }

  LineWriter& out_;  // its failures are the caller's to read
  Place place_ = Place::InputStart;
  std::size_t from_matched_ = 0;  // in BodyFrom: 0 < from_matched_ < the length of "From "
};

}  // namespace fieldsift
