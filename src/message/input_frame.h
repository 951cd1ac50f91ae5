// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "bytes/ascii.h"

namespace fieldsift {

// What an input is, as its name tells: an .emlx file, in which Apple's mail
// program keeps one message, or any other.
enum class InputKind { Plain, Emlx };

// A FILE is an .emlx file when its name ends ".emlx" (".partial.emlx" among
// them), the letters in either case: names on Windows and on a Mac's disks
// have no case, and a wildcard "*.emlx" on Windows finds "A.EMLX" too.
[[nodiscard]] constexpr InputKind kind_of_file(std::string_view name) {
  constexpr std::string_view kEnding = ".emlx";
  if (name.size() < kEnding.size()) return InputKind::Plain;
  const std::string_view end = name.substr(name.size() - kEnding.size());
  const bool emlx = std::equal(end.begin(), end.end(), kEnding.begin(),
                               [](char a, char b) { return fold_case(a) == fold_case(b); });
  return emlx ? InputKind::Emlx : InputKind::Plain;
}

// The UTF-8 byte order mark, which editors on Windows put before text.
inline constexpr std::array<unsigned char, 3> kByteOrderMark = {0xEF, 0xBB, 0xBF};

// The longest first line of an .emlx file, its LF not counted, that is read
// as a count: room for the digits of any file's size and the spaces writers
// pad them with, and a bound on the bytes held until the line is told.
inline constexpr std::size_t kCountLineLimit = 64;

// Which bytes of one input are mail, applied to them as they come, however
// they are cut, before the message rule sees them: a byte order mark that
// opens the input is none of it; nor, in an .emlx file, is the first line
// after that when it is a byte count (SP and TAB, digits, SP and TAB, then a
// LF): the message is that many bytes after it, or what there is, and what
// follows (a property list) is no message. A first line that is no count is
// the message's, as in any other file. The rule hands the copier its bytes
// with feed(bytes), and with pass_over(size) the size of each part passed
// over at the input's start, which offsets still count.
class InputFrame {
 public:
  explicit InputFrame(InputKind kind) : kind_(kind) {}

  template <class Copier>
  void feed(std::span<const unsigned char> bytes, Copier& copier) {
    if (part_ == Part::Mark) bytes = mark_step(bytes, copier);
    feed_after_mark(bytes, copier);
  }

  // The input has ended: bytes held until the next ones told what they were
  // are the message's after all.
  template <class Copier>
  void end(Copier& copier) {
    if (part_ == Part::Mark) {
      part_ = Part::Message;
      feed_after_mark(std::span(kByteOrderMark).first(matched_), copier);
    } else if (part_ == Part::Count) {
      part_ = Part::Message;
      feed_after_mark(std::span(held_).first(held_size_), copier);
    }
    part_ = Part::After;
  }

  // Whether no byte after those fed can be mail: reading may stop.
  [[nodiscard]] bool ended() const { return part_ == Part::After; }

 private:
  enum class Part { Mark, Count, Message, After };
  // Where a count line stands: blanks before its digits, digits, blanks after.
  enum class CountPhase { Before, Digits, After };

  // The bytes after where a mark would stand, the mark's if it was none.
  template <class Copier>
  void feed_after_mark(std::span<const unsigned char> bytes, Copier& copier) {
    while (!bytes.empty() && part_ != Part::After) {
      bytes = part_ == Part::Count ? count_step(bytes, copier) : message_step(bytes, copier);
    }
  }

  // Each step answers the bytes it leaves to the next.
  template <class Copier>
  std::span<const unsigned char> mark_step(std::span<const unsigned char> bytes, Copier& copier);
  template <class Copier>
  std::span<const unsigned char> count_step(std::span<const unsigned char> bytes, Copier& copier);
  template <class Copier>
  std::span<const unsigned char> message_step(std::span<const unsigned char> bytes, Copier& copier);
  [[nodiscard]] bool takes_count_byte(unsigned char byte, std::size_t at);
  void begin_message(bool bounded);

  InputKind kind_;
  Part part_ = Part::Mark;
  std::size_t matched_ = 0;  // in Mark: bytes of the mark so far
  // In Count: the first line's bytes so far, held_[0, held_size_), which may
  // all be a count's yet, and the count they give (at most UINT64_MAX).
  std::array<unsigned char, kCountLineLimit> held_{};
  std::size_t held_size_ = 0;
  CountPhase phase_ = CountPhase::Before;
  std::uint64_t count_ = 0;
  bool bounded_ = false;  // in Message: the message ends after left_ more bytes
  std::uint64_t left_ = 0;
};

// The mark's bytes so far are held; once told no mark, they are the input's
// first bytes and go on as such.
template <class Copier>
std::span<const unsigned char> InputFrame::mark_step(std::span<const unsigned char> bytes,
                                                     Copier& copier) {
  std::size_t n = 0;
  while (matched_ + n < kByteOrderMark.size() && n < bytes.size() &&
         bytes[n] == kByteOrderMark[matched_ + n])
    ++n;
  matched_ += n;
  if (matched_ < kByteOrderMark.size() && n == bytes.size()) return {};  // the next bytes tell
  part_ = kind_ == InputKind::Emlx ? Part::Count : Part::Message;
  if (matched_ == kByteOrderMark.size()) {
    copier.pass_over(kByteOrderMark.size());
  } else {
    feed_after_mark(std::span(kByteOrderMark).first(matched_), copier);
  }
  return bytes.subspan(n);
}

// The first line is held while it may be a count. Told a count by its LF,
// it is passed over; told none, it goes on with the bytes after it.
template <class Copier>
std::span<const unsigned char> InputFrame::count_step(std::span<const unsigned char> bytes,
                                                      Copier& copier) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!takes_count_byte(bytes[i], held_size_ + i)) {
      begin_message(false);
      if (held_size_ > 0) copier.feed(std::span(held_).first(held_size_));
      return bytes;
    }
    if (bytes[i] == kLineFeed) {
      copier.pass_over(held_size_ + i + 1);
      begin_message(true);
      return bytes.subspan(i + 1);
    }
  }
  // takes_count_byte keeps the line within the room held.
  std::copy(bytes.begin(), bytes.end(), held_.begin() + static_cast<std::ptrdiff_t>(held_size_));
  held_size_ += bytes.size();
  return {};
}

template <class Copier>
std::span<const unsigned char> InputFrame::message_step(std::span<const unsigned char> bytes,
                                                        Copier& copier) {
  if (!bounded_) {
    copier.feed(bytes);
    return {};
  }
  const std::size_t n = left_ < bytes.size() ? static_cast<std::size_t>(left_) : bytes.size();
  copier.feed(bytes.first(n));
  left_ -= n;
  if (left_ == 0) part_ = Part::After;
  return bytes.subspan(n);
}

// One more byte of the first line, at `at` in it: whether the line may
// still be a count. A LF ends one only after a digit.
inline bool InputFrame::takes_count_byte(unsigned char byte, std::size_t at) {
  if (byte == kLineFeed) return phase_ != CountPhase::Before;
  if (at == kCountLineLimit) return false;
  if (is_blank(byte)) {
    if (phase_ == CountPhase::Digits) phase_ = CountPhase::After;
    return true;
  }
  if (byte < '0' || byte > '9' || phase_ == CountPhase::After) return false;
  phase_ = CountPhase::Digits;
  // A count past any file's size means the whole file: it stops growing there.
  constexpr std::uint64_t kBase = 10;
  const auto digit = static_cast<std::uint64_t>(byte - '0');
  count_ = count_ > (UINT64_MAX - digit) / kBase ? UINT64_MAX : count_ * kBase + digit;
  return true;
}

// The message's bytes come next: count_ of them when bounded, else all.
inline void InputFrame::begin_message(bool bounded) {
  bounded_ = bounded;
  left_ = count_;
  part_ = bounded && count_ == 0 ? Part::After : Part::Message;
}

}  // namespace fieldsift
