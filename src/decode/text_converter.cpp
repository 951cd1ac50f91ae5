// SPDX-License-Identifier: BSD-2-Clause
#include "decode/text_converter.h"

#include "decode/iso2022jp.h"
#include "decode/utf16.h"
#include "decode/utf7.h"

namespace fieldsift {
namespace {

// Whether text in the charset is held until finish(), for a converter that
// reads it whole.
bool holds_text(Decoding decoding) {
  return decoding != Decoding::Ascii && decoding != Decoding::Utf8 && decoding != Decoding::ByTable;
}

// Whether UTF-8 holds a C1 control, U+0080 to U+009F: C2 and 80..9F.
bool holds_c1_control(std::span<const unsigned char> utf8) {
  constexpr unsigned char kC1Lead = 0xC2;
  constexpr unsigned char kLastC1Second = 0x9F;
  for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
    if (utf8[i] == kC1Lead && utf8[i + 1] <= kLastC1Second) return true;
  }
  return false;
}

}  // namespace

TextConverter::TextConverter(const Charset& charset, ByteVector& out)
    : charset_(charset), out_(out) {}

void TextConverter::feed(unsigned char byte) {
  if (refused_) return;
  switch (charset_.decoding) {
    case Decoding::Utf8:
      feed_utf8(byte);
      break;
    case Decoding::Ascii:
    case Decoding::ByTable:
      feed_by_table(byte);
      break;
    case Decoding::Utf16:
    case Decoding::Utf16Be:
    case Decoding::Utf16Le:
    case Decoding::Utf7:
    case Decoding::BySystem:
    case Decoding::Iso2022Jp:
      (void)held_.push_back(byte);  // a failure stays set in held_, and finish() sees it
      break;
  }
}

void TextConverter::feed_utf8(unsigned char byte) {
  if (!utf8_.feed(byte)) {
    refused_ = true;
  } else if (utf8_.whole()) {
    put(utf8_.character());
  }
}

// ASCII below 0x80 in every charset we decode by table; US-ASCII has none.
void TextConverter::feed_by_table(unsigned char byte) {
  constexpr unsigned char kFirstNonAscii = 0x80;
  if (byte < kFirstNonAscii) {
    put(byte);
  } else if (charset_.table == nullptr || (*charset_.table)[byte - kFirstNonAscii] == kUnmapped) {
    refused_ = true;
  } else {
    put((*charset_.table)[byte - kFirstNonAscii]);
  }
}

Conversion TextConverter::convert_held(ByteVector& utf8) const {
  const std::span<const unsigned char> text = held_.bytes();
  switch (charset_.decoding) {
    case Decoding::Utf16:
      return utf16_to_utf8(text, ByteOrder::Marked, utf8);
    case Decoding::Utf16Be:
      return utf16_to_utf8(text, ByteOrder::BigEndian, utf8);
    case Decoding::Utf16Le:
      return utf16_to_utf8(text, ByteOrder::LittleEndian, utf8);
    case Decoding::Utf7:
      return utf7_to_utf8(text, utf8);
    case Decoding::Iso2022Jp: {
      ByteVector eucjp;
      const Conversion result = iso2022jp_to_eucjp(text, eucjp);
      return result == Conversion::Converted ? by_system(eucjp.bytes(), utf8) : result;
    }
    default:
      return by_system(text, utf8);
  }
}

// No text in the charsets the system converts holds a C1 control: a
// converter that gives one has read bytes it does not know as if they were
// one (KERNEL32's EUC-JP reads the 0x8F before a JIS X 0212 character so, and
// the character after it as another), and the text is refused.
Conversion TextConverter::by_system(std::span<const unsigned char> text, ByteVector& utf8) const {
  const Conversion result = convert_to_utf8(*charset_.system, text, utf8);
  if (result == Conversion::Converted && holds_c1_control(utf8.bytes())) return Conversion::Refused;
  return result;
}

Conversion TextConverter::finish() {
  if (holds_text(charset_.decoding) && !refused_) {
    if (held_.failed()) return Conversion::NoMemory;
    ByteVector utf8;
    const Conversion result = convert_held(utf8);
    if (result != Conversion::Converted) return result;
    // Read as any UTF-8, so that the controls in it are replaced too.
    for (const unsigned char byte : utf8.bytes()) feed_utf8(byte);
  }
  if (refused_ || !utf8_.whole()) return Conversion::Refused;
  flush();
  return out_.failed() ? Conversion::NoMemory : Conversion::Converted;
}

}  // namespace fieldsift
