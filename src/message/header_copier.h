// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "message/header_sink.h"
#include "textio/scan/line_scans.h"

namespace fieldsift {

// The message rule of headsift, applied to the bytes of one input that are
// mail (InputFrame tells which) as they come, however they are cut. Mail
// whose first line begins "From " is a mailbox, any other one message. A
// message begins at the mail's start and, in a mailbox, at each line "From "
// met outside a header; its header runs from its first line to the first
// empty line (nothing, or a lone CR, before its LF), which goes with it.
// Headers go to the sink in whole spans; of a mailbox's body only the first
// bytes of lines are looked at, and of a single message's body none. The
// copier calls the sink's begin_message, header_bytes, end_header, cut_short
// and end_input; its owner the rest.
template <HeaderSink Sink>
class HeaderCopier {
 public:
  explicit HeaderCopier(Sink& sink) : sink_(sink) {}

  // Bytes at the input's start that are no message's (see InputFrame),
  // before any is fed: offsets count them.
  void pass_over(std::size_t size) {
    assert(offset_ == start_);
    offset_ += size;
    start_ = offset_;
  }

  // The next bytes of the input.
  void feed(std::span<const unsigned char> bytes);

  // The input has ended. A header it ended inside is closed: its last line
  // ended with a LF if it has no line end, and a LF added as its empty line.
  // The sink is told the input's size; the copier is then ready for the
  // next input.
  void finish() { close(false); }

  // The same where a read has failed and the input ends with it: a header
  // it ended inside is closed as well, and the sink told it is cut short.
  void fail() { close(true); }

 private:
  enum class Part {
    Opening,  // the mail's first line, until its start tells whether it is a mailbox
    Header,
    Body,
  };
  // matched_ when the current line's start no longer matters.
  static constexpr std::size_t kInLine = SIZE_MAX;
  static constexpr std::string_view kSeparator = kMboxSeparator;
  static constexpr ByteMatch kSeparatorStart{static_cast<unsigned char>(kSeparator[0]), 0};

  // Each step takes bytes, but for an opening step that hands its line on.
  [[nodiscard]] std::size_t opening_step(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t header_step(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t header_scan(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t body_step(std::span<const unsigned char> bytes);
  [[nodiscard]] std::size_t match_separator(std::span<const unsigned char> bytes);
  std::size_t end_header(std::span<const unsigned char> bytes);
  std::size_t header_ended(std::size_t size);
  void close(bool failed);

  Sink& sink_;
  Part part_ = Part::Opening;
  bool mailbox_ = false;  // the mail's first line began "From "
  // Bytes of the current line's start matched so far: of "From " in the
  // opening line and in a mailbox's body, of an empty line's CR in a header;
  // or kInLine.
  std::size_t matched_ = 0;
  std::uint64_t start_ = 0;   // in the input, of its first message's first byte
  std::uint64_t offset_ = 0;  // in the input, of the next byte fed; start_ <= offset_
};

template <HeaderSink Sink>
void HeaderCopier<Sink>::feed(std::span<const unsigned char> bytes) {
  while (!bytes.empty()) {
    std::size_t used = 0;
    switch (part_) {
      case Part::Opening:
        used = opening_step(bytes);
        if (used > 0) break;
        // It took nothing: it found the input one message, and left the
        // line it is in to the header's rule.
        assert(part_ == Part::Header);
        [[fallthrough]];
      case Part::Header:
        used = header_step(bytes);
        break;
      case Part::Body:
        used = body_step(bytes);
        break;
    }
    assert(used > 0 && used <= bytes.size());  // every step takes bytes
    offset_ += used;
    bytes = bytes.subspan(used);
  }
}

// More of the separator at the start of the current line; answers the bytes
// that matched. matched_ then tells whether it is whole.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::match_separator(std::span<const unsigned char> bytes) {
  std::size_t n = 0;
  while (matched_ + n < kSeparator.size() && n < bytes.size() &&
         bytes[n] == static_cast<unsigned char>(kSeparator[matched_ + n]))
    ++n;
  matched_ += n;
  return n;
}

// The mail's first line is its first message's first header line, whatever
// it begins with; what it begins with tells whether it is a mailbox.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::opening_step(std::span<const unsigned char> bytes) {
  if (offset_ == start_) sink_.begin_message(start_);
  const std::size_t n = match_separator(bytes);
  if (matched_ == kSeparator.size() || n == bytes.size()) {
    mailbox_ = matched_ == kSeparator.size();
    if (mailbox_) {
      part_ = Part::Header;
      matched_ = kInLine;
    }
    sink_.header_bytes(bytes.first(n));
    return n;
  }
  // One message: its header line goes on from here, and may be empty yet
  // if nothing of it has come. The header's rule takes these bytes.
  part_ = Part::Header;
  if (matched_ != 0) matched_ = kInLine;
  return 0;
}

// At a header line's start: a LF, or a CR and a LF, is the empty line.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::header_step(std::span<const unsigned char> bytes) {
  if (matched_ != kInLine) {
    if (bytes[0] == kLineFeed) return end_header(bytes.first(1));
    if (matched_ == 0 && bytes[0] == kCarriageReturn) {
      if (bytes.size() == 1) {  // the next bytes tell
        sink_.header_bytes(bytes);
        matched_ = 1;
        return 1;
      }
      if (bytes[1] == kLineFeed) return end_header(bytes.first(2));
    }
    matched_ = kInLine;
  }
  return header_scan(bytes);
}

// Inside a header line: up to the end of the header, or of the bytes, in
// one span; a sink that takes a header's bytes itself finds its end too.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::header_scan(std::span<const unsigned char> bytes) {
  if constexpr (requires { sink_.take_header(bytes); }) {
    const std::size_t empty = sink_.take_header(bytes);
    if (empty != bytes.size()) return header_ended(empty + (bytes[empty] == kLineFeed ? 1 : 2));
  } else {
    const std::size_t empty = find_empty_line(bytes);
    if (empty != bytes.size())
      return end_header(bytes.first(empty + (bytes[empty] == kLineFeed ? 1 : 2)));
    sink_.header_bytes(bytes);
  }
  // The bytes may stop where an empty line is yet to be told.
  const std::size_t n = bytes.size();
  if (bytes[n - 1] == kLineFeed) {
    matched_ = 0;
  } else if (n >= 2 && bytes[n - 1] == kCarriageReturn && bytes[n - 2] == kLineFeed) {
    matched_ = 1;
  }
  return n;
}

// The last bytes of a header, its empty line's end among them.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::end_header(std::span<const unsigned char> bytes) {
  sink_.header_bytes(bytes);
  return header_ended(bytes.size());
}

// The header's last bytes, size of them, are the sink's.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::header_ended(std::size_t size) {
  sink_.end_header();
  part_ = Part::Body;
  matched_ = 0;
  return size;
}

// A body is passed over to the next line that may be a separator; in a
// single message there is none.
template <HeaderSink Sink>
std::size_t HeaderCopier<Sink>::body_step(std::span<const unsigned char> bytes) {
  if (!mailbox_) return bytes.size();
  if (matched_ != kInLine) {
    const std::size_t n = match_separator(bytes);
    if (matched_ == kSeparator.size()) {
      sink_.begin_message(offset_ + n - kSeparator.size());
      // Passed over as body; now known to be a header's.
      sink_.header_bytes(bytes_of(kSeparator));
      part_ = Part::Header;
      matched_ = kInLine;
      return n;
    }
    if (n == bytes.size()) return n;  // the next bytes tell
    matched_ = kInLine;
    if (n > 0) return n;
  }
  const PassOver pass = pass_over_lines(bytes, false, kSeparatorStart);
  matched_ = pass.found || pass.line_start ? 0 : kInLine;
  return pass.stop;
}

template <HeaderSink Sink>
void HeaderCopier<Sink>::close(bool failed) {
  static constexpr std::array<unsigned char, 2> kTwoLineFeeds = {kLineFeed, kLineFeed};
  if (part_ != Part::Body && offset_ > start_) {
    // A line end for the last line if it has none, then the empty line.
    const bool at_line_start = part_ == Part::Header && matched_ == 0;
    sink_.header_bytes(std::span(kTwoLineFeeds).first(at_line_start ? 1 : 2));
    if (failed) {
      sink_.cut_short();
    } else {
      sink_.end_header();
    }
  }
  sink_.end_input(offset_);
  part_ = Part::Opening;
  mailbox_ = false;
  matched_ = 0;
  start_ = 0;
  offset_ = 0;
}

}  // namespace fieldsift
