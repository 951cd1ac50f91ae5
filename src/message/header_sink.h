// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string_view>

namespace fieldsift {

// What a line begins with to begin a message in a mailbox: the mbox
// separator, the first line of each message's header. A body line that
// begins so is written ">From " by whoever wrote the mailbox.
inline constexpr std::string_view kMboxSeparator = "From ";

// Where the message rule hands each message's header, and all a producer
// may call on it. For each input in turn:
// - begin_input(name): the input's messages come next; name is the input as
//   reports give it, and outlives them.
// - for each message of the input, begin_message(offset), the offset of its
//   first byte in the input; then header_bytes(bytes) with its header's bytes
//   in pieces however the reads cut them (its empty line included, or the
//   line ends that close a header the input ended inside), then end_header(),
//   or cut_short() where a failed read ended the input inside the header:
//   what came of it is not all of it.
// - end_input(size), once the input has ended, size bytes long.
// - error(), once the input has ended: the error number (ENOMEM) of what the
//   sink could not do for the input, to be reported once, or 0.
// A sink may also offer take_header(bytes), called in header_bytes' place
// with bytes that may go on past the header: it takes those up to the end
// of the header's empty line, or all if there is none, and answers where
// that line starts (its index, or bytes.size()), as find_empty_line does;
// a sink that reads the header's lines anyway finds its end on the way.
// A sink is called directly, never through a virtual base: a call per span
// is a cost per message.
template <class Sink>
concept HeaderSink = requires(Sink& sink, const Sink& held, std::string_view name,
                              std::uint64_t offset, std::span<const unsigned char> bytes) {
  sink.begin_input(name);
  sink.begin_message(offset);
  sink.header_bytes(bytes);
  sink.end_header();
  sink.end_input(offset);
  sink.cut_short();
  { held.error() } -> std::convertible_to<int>;
};

}  // namespace fieldsift
