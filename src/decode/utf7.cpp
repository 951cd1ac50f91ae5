// SPDX-License-Identifier: BSD-2-Clause
#include "decode/utf7.h"

#include <cstdint>

#include "decode/encoded_word.h"
#include "decode/utf16.h"

namespace fieldsift {
namespace {

constexpr unsigned char kShift = '+';
constexpr unsigned char kEndOfShift = '-';
constexpr unsigned char kFirstNonAscii = 0x80;

bool is_base64(unsigned char c) { return word_text::kSextets[c] != word_text::kNotBase64; }

// A shifted run as it is read: the UTF-16 units its sextets make.
class ShiftedRun {
 public:
  // False: the unit the sextet completes is a surrogate out of its pair.
  [[nodiscard]] bool add(unsigned char c, ByteVector& out) {
    constexpr unsigned kUnitBits = 16;
    bits_ = bits_ << word_text::kSextetBits | static_cast<std::uint32_t>(word_text::kSextets[c]);
    count_ += word_text::kSextetBits;
    if (count_ < kUnitBits) return true;
    count_ -= kUnitBits;
    const char32_t unit = bits_ >> count_;
    bits_ &= (1U << count_) - 1;
    return take(unit, out);
  }

  // Whether the run may end here: no more than padding left, all of it zero,
  // and no high surrogate waiting for its low one.
  [[nodiscard]] bool may_end() const {
    return count_ < word_text::kSextetBits && bits_ == 0 && high_ == 0;
  }

 private:
  bool take(char32_t unit, ByteVector& out) {
    if (high_ != 0) {
      if (!surrogate::is_low(unit)) return false;
      append_utf8(surrogate::joined(high_, unit), out);
      high_ = 0;
      return true;
    }
    if (surrogate::is_low(unit)) return false;
    if (surrogate::is_high(unit)) {
      high_ = unit;
    } else {
      append_utf8(unit, out);
    }
    return true;
  }

  std::uint32_t bits_ = 0;  // only its low count_ bits may be set: those not yet in a unit
  unsigned count_ = 0;
  char32_t high_ = 0;  // a high surrogate read, whose low one comes next; 0 if none
};

// A byte outside a shifted run, at rest's start: answers how many bytes it
// takes (2 for "+-"), 0 when it is refused; a + that begins a shifted run
// sets shift.
std::size_t read_direct(std::span<const unsigned char> rest, bool& shift, ByteVector& out) {
  const unsigned char c = rest[0];
  if (c >= kFirstNonAscii) return 0;
  if (c != kShift) {
    append_utf8(c, out);
    return 1;
  }
  if (rest.size() > 1 && rest[1] == kEndOfShift) {
    append_utf8(kShift, out);
    return 2;
  }
  if (rest.size() > 1 && !is_base64(rest[1])) return 0;
  shift = true;
  return 1;
}

}  // namespace

Conversion utf7_to_utf8(std::span<const unsigned char> text, ByteVector& out) {
  bool shifted = false;  // inside a shifted run
  ShiftedRun run;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = text[i];
    if (shifted && is_base64(c)) {
      if (!run.add(c, out)) return Conversion::Refused;
      ++i;
      continue;
    }
    if (shifted) {
      if (!run.may_end()) return Conversion::Refused;
      shifted = false;
      if (c == kEndOfShift) {
        ++i;
        continue;
      }
    }
    const std::size_t taken = read_direct(text.subspan(i), shifted, out);
    if (taken == 0) return Conversion::Refused;
    if (shifted) run = ShiftedRun();
    i += taken;
  }
  if (shifted && !run.may_end()) return Conversion::Refused;
  return out.failed() ? Conversion::NoMemory : Conversion::Converted;
}

}  // namespace fieldsift
