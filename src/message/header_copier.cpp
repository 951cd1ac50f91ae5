// SPDX-License-Identifier: BSD-2-Clause
#include "message/header_copier.h"

#include <array>
#include <string_view>

#include "textio/line.h"
#include "textio/scan/kernel_set.h"

namespace fieldsift {
namespace {

// What a line begins with to begin a message: the mbox separator. A body
// line that begins so is written ">From " by whoever wrote the mailbox.
constexpr std::string_view kSeparator = "From ";
constexpr unsigned char kCr = '\r';
constexpr unsigned char kLf = '\n';

}  // namespace

void HeaderCopier::feed(std::span<const unsigned char> bytes) {
  while (!bytes.empty()) {
    std::size_t used = 0;
    switch (place_) {
      case Place::InputStart:
      case Place::HeaderLineStart:
      case Place::HeaderAfterCr:
        used = at_header_line_start(bytes);
        break;
      case Place::HeaderInLine:
        used = in_header(bytes);
        break;
      case Place::BodyLineStart:
      case Place::BodyFrom:
        used = at_body_line(bytes);
        break;
      case Place::BodyInLine:
        used = in_body(bytes);
        break;
    }
    bytes = bytes.subspan(used);
  }
}

// The last bytes of a header, its empty line's end among them, go out.
std::size_t HeaderCopier::end_header(std::span<const unsigned char> bytes) {
  write(bytes);
  place_ = Place::BodyLineStart;
  return bytes.size();
}

// The empty line that ends the header may start here.
std::size_t HeaderCopier::at_header_line_start(std::span<const unsigned char> bytes) {
  const bool after_cr = place_ == Place::HeaderAfterCr;
  place_ = Place::HeaderInLine;
  if (bytes[0] == kLf) return end_header(bytes.first(1));
  if (bytes[0] != kCr || after_cr) return 0;
  if (bytes.size() == 1) {  // the next bytes tell
    write(bytes);
    place_ = Place::HeaderAfterCr;
    return 1;
  }
  return bytes[1] == kLf ? end_header(bytes.first(2)) : 0;
}

// Up to the end of the header, or of the bytes, in one span.
std::size_t HeaderCopier::in_header(std::span<const unsigned char> bytes) {
  const unsigned char* const begin = bytes.data();
  const unsigned char* const end = begin + bytes.size();
  const unsigned char* const empty = active_kernels().find_empty_line(begin, end);
  if (empty != end) {
    const unsigned char* const header_end = empty + (*empty == kLf ? 1 : 2);
    return end_header(bytes.first(static_cast<std::size_t>(header_end - begin)));
  }
  write(bytes);
  // The bytes may stop where an empty line is yet to be told.
  const std::size_t n = bytes.size();
  if (bytes[n - 1] == kLf) {
    place_ = Place::HeaderLineStart;
  } else if (n >= 2 && bytes[n - 1] == kCr && bytes[n - 2] == kLf) {
    place_ = Place::HeaderAfterCr;
  }
  return n;
}

// A body line starts here, or began with part of the separator: a message
// begins if the rest of it follows.
std::size_t HeaderCopier::at_body_line(std::span<const unsigned char> bytes) {
  if (place_ == Place::BodyLineStart) from_matched_ = 0;
  std::size_t used = 0;
  while (from_matched_ < kSeparator.size() && used < bytes.size() &&
         bytes[used] == static_cast<unsigned char>(kSeparator[from_matched_])) {
    ++from_matched_;
    ++used;
  }
  if (from_matched_ == kSeparator.size()) {
    write(bytes_of(kSeparator));  // passed over as body, and now known to be a header's
    place_ = Place::HeaderInLine;
  } else if (used == bytes.size()) {
    place_ = Place::BodyFrom;
  } else {
    place_ = Place::BodyInLine;
  }
  return used;
}

// Passed over to the next line that may be a separator.
std::size_t HeaderCopier::in_body(std::span<const unsigned char> bytes) {
  const unsigned char* const begin = bytes.data();
  const unsigned char* const end = begin + bytes.size();
  const unsigned char* const start =
      active_kernels().find_line_start(begin, end, ByteMatch{kSeparator[0], 0});
  if (start != end) {
    place_ = Place::BodyLineStart;
    return static_cast<std::size_t>(start - begin);
  }
  if (bytes.back() == kLf) place_ = Place::BodyLineStart;
  return bytes.size();
}

void HeaderCopier::finish() {
  static constexpr std::array<unsigned char, 2> kTwoLineFeeds = {kLf, kLf};
  switch (place_) {
    case Place::HeaderLineStart:
      write(std::span(kTwoLineFeeds).first(1));
      break;
    case Place::HeaderAfterCr:
    case Place::HeaderInLine:
      write(kTwoLineFeeds);
      break;
    default:
      break;
  }
  place_ = Place::InputStart;
}

}  // namespace fieldsift
