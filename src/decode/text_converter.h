// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstdint>

#include "bytes/byte_vector.h"
#include "bytes/utf8.h"
#include "decode/charset_data.h"
#include "textio/platform/platform.h"

namespace fieldsift {

// Whether a character that decoding gives is written as U+FFFD instead. A
// row format escapes TAB, CR and LF but no other control, so each other C0
// control, DEL and each C1 control that comes out of an encoded word is
// replaced: a decoded value never carries a control that a terminal or a
// reader of the rows would act on. Bytes outside encoded words stay as they
// are.
[[nodiscard]] constexpr bool is_replaced_control(char32_t c) {
  constexpr char32_t kDelete = 0x7F;
  constexpr char32_t kLastC1Control = 0x9F;
  return (c < ' ' && c != '\t' && c != '\r' && c != '\n') || (c >= kDelete && c <= kLastC1Control);
}

// Turns text in one charset, fed a byte at a time, into UTF-8 at the end of
// out, with the controls above replaced. Text that is read whole (UTF-16,
// UTF-7, a charset the system converts) is held until finish().
class TextConverter {
 public:
  // The row is not copied: it must outlive the converter, as the rows of
  // the charset data do.
  TextConverter(const Charset& charset, ByteVector& out);

  void feed(unsigned char byte);

  // Converted: out ends with the text's UTF-8. Any other result leaves out
  // to be cut back by the caller to where it stood before the first feed.
  [[nodiscard]] Conversion finish();

 private:
  void feed_utf8(unsigned char byte);
  void feed_by_table(unsigned char byte);
  // The text held, as its converter reads it whole.
  [[nodiscard]] Conversion convert_held(ByteVector& utf8) const;
  [[nodiscard]] Conversion by_system(std::span<const unsigned char> text, ByteVector& utf8) const;
  void put(char32_t c) {
    if (staged_.size() - staged_size_ < kLongestUtf8) flush();
    staged_size_ +=
        put_utf8(is_replaced_control(c) ? kReplacementCharacter : c, staged_.data() + staged_size_);
  }
  void flush() {
    (void)out_.append({staged_.data(), staged_size_});  // out_ keeps a failure, for finish()
    staged_size_ = 0;
  }

  const Charset& charset_;
  ByteVector& out_;
  bool refused_ = false;  // a byte fed is not text in the charset
  Utf8Reader utf8_;
  ByteVector held_;  // the text of a charset read whole, empty for the others
  // UTF-8 not yet added to out_, so that out_ grows by many characters at once.
  static constexpr std::size_t kLongestUtf8 = 4;
  std::array<unsigned char, 256> staged_{};
  std::size_t staged_size_ = 0;  // bytes in [0, staged_size_) of staged_ are to go to out_
};

}  // namespace fieldsift
