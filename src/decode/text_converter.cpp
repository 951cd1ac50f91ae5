// SPDX-License-Identifier: BSD-2-Clause
#include "decode/text_converter.h"

#include "decode/charset_data.h"
#include "decode/iso2022jp.h"

namespace fieldsift {

TextConverter::TextConverter(Charset charset, ByteVector& out)
    : charset_(charset),
      out_(out),
      table_(by_table(charset) ? &byte_table(charset).code_points : nullptr) {}

void TextConverter::feed(unsigned char byte) {
  constexpr unsigned char kFirstNonAscii = 0x80;
  if (refused_) return;
  if (charset_ == Charset::Utf8) {
    feed_utf8(byte);
  } else if (charset_ >= kFirstSystemCharset) {
    (void)held_.push_back(byte);  // a failure stays set in held_, and finish() sees it
  } else if (byte < kFirstNonAscii) {
    put(byte);  // ASCII in every charset we decode by table
  } else if (table_ == nullptr || (*table_)[byte - kFirstNonAscii] == kUnmapped) {
    refused_ = true;
  } else {
    put((*table_)[byte - kFirstNonAscii]);
  }
}

void TextConverter::feed_utf8(unsigned char byte) {
  if (!utf8_.feed(byte)) {
    refused_ = true;
  } else if (utf8_.whole()) {
    put(utf8_.character());
  }
}

Conversion TextConverter::convert_held(ByteVector& utf8) const {
  if (charset_ != Charset::Iso2022Jp)
    return convert_to_utf8(system_charset(charset_), held_.bytes(), utf8);
  ByteVector eucjp;
  const Conversion result = iso2022jp_to_eucjp(held_.bytes(), eucjp);
  if (result != Conversion::Converted) return result;
  return convert_to_utf8(SystemCharset::EucJp, eucjp.bytes(), utf8);
}

Conversion TextConverter::finish() {
  if (charset_ >= kFirstSystemCharset && !refused_) {
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
