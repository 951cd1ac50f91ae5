// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace fieldsift {

// What a line begins with to begin a message in a mailbox: the mbox
// separator, the first line of each message's header. A body line that
// begins so is written ">From " by whoever wrote the mailbox.
inline constexpr std::string_view kMboxSeparator = "From ";

// Where the message rule hands each message's header: in turn, for every
// message of an input, begin_message, its header's bytes in pieces however
// the reads cut them (its empty line included, or the line ends that close
// a header the input ended inside), then end_header.
class HeaderSink {
 public:
  HeaderSink() = default;
  HeaderSink(const HeaderSink&) = delete;
  HeaderSink& operator=(const HeaderSink&) = delete;
  HeaderSink(HeaderSink&&) = delete;
  HeaderSink& operator=(HeaderSink&&) = delete;
  virtual ~HeaderSink() = default;

  // A message begins at this offset of its input: its first byte.
  virtual void begin_message(std::uint64_t offset) = 0;
  virtual void header_bytes(std::span<const unsigned char> bytes) = 0;
  virtual void end_header() = 0;
};

}  // namespace fieldsift
