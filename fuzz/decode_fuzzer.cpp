// Fuzz target: the decoder of encoded words, on values of any bytes and on
// values built of words that the plain encoders of support/
// encoded_word_model.h write.
//
//   byte     bit 0 clear: the rest is a value, any bytes. Decoding it must
//            succeed, read nothing outside it, give it back unchanged when
//            it holds no "=?", keep each control byte (C0 but TAB, CR, LF;
//            DEL; C1 in UTF-8) as often as the value has it, since decoding
//            makes none, and keep valid UTF-8 valid.
//            bit 0 set: the rest builds a value, a segment at a time, with
//            white space between segments:
//     byte   K: K % 4 is the kind; 0: plain text of (next byte % 16) bytes,
//            none of them white space, = or ?; 1: a UTF-8 word of (next
//            byte % 8) characters, 3 bytes each (modulo U+110000; a
//            surrogate is taken as U+FFFD); 2: an ISO-8859-1 word of (next
//            byte % 16) bytes; 3: (next byte % 4) more white space. Bits 2-4
//            of K pick a name of the word's charset, bit 5 B or Q, bit 6
//            set puts the word in quotes or, with bit 7, in parentheses.
//            Decoded, it must be the words' text, controls replaced, with
//            the white space between two words dropped; a word in marks is
//            decoded with them, and the white space around it stays; a word
//            without text is none, and stands as it is.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "bytes/bytes_of.h"
#include "check.h"
#include "decode/encoded_words.h"
#include "support/encoded_word_model.h"
#include "support/scripted_channel.h"

namespace fieldsift::fuzz {
namespace {

using testing::bytes_of;
using testing::string_of;

std::string decoded(std::string_view value) {
  ByteVector out;
  check(decode_words(bytes_of(value), out), "decoding a value fails");
  return string_of(out.bytes());
}

// How often each control that decoding never writes occurs: a C0 byte (TAB,
// CR, LF aside) or DEL by its value, a C1 control in UTF-8 under 0x80 + its
// second byte.
std::array<std::size_t, 256> controls(std::string_view s) {
  std::array<std::size_t, 256> counts{};
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool c1 =
        c == 0xC2 && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xE0U) == 0x80U;
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) ++counts[c];
    if (c1) ++counts[static_cast<unsigned char>(s[i + 1])];
  }
  return counts;
}

bool is_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80                 ? 1
                          : c >= 0xC2 && c <= 0xDF ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 0;
    if (n == 0 || s.size() - i < n) return false;
    char32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = cp << 6 | (t & 0x3F);
    }
    constexpr std::array<char32_t, 5> kLeast = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

void check_any_value(std::string_view value) {
  const std::string out = decoded(value);
  if (value.find("=?") == std::string_view::npos)
    check_equal(out, value, "a value without =? changed");
  check(controls(out) == controls(value), "decoding made or lost a control");
  check(!is_utf8(value) || is_utf8(out), "decoding turned UTF-8 into something else");
}

constexpr std::array<std::string_view, 8> kUtf8Names = {
    "utf-8", "UTF-8", "utf8", "Utf-8*en", "UTF8*de-CH", "unicode-1-1-utf-8", "uTF-8", "utf-8"};
constexpr std::array<std::string_view, 8> kLatin1Names = {"iso-8859-1", "ISO-8859-1",    "latin1",
                                                          "L1",         "iso_8859-1*fr", "cp819",
                                                          "ISO8859-1",  "csISOLatin1"};

struct Builder {
  std::string value;
  std::string expected;
  std::string space;        // white space since the last segment
  bool after_word = false;  // the last segment was a word
  bool first = true;

  void segment(const std::string& bytes, const std::string& decoded_text, bool word) {
    if (!first && space.empty()) space = " ";
    value += space + bytes;
    if (!(word && after_word)) expected += space;
    expected += decoded_text;
    space.clear();
    after_word = word;
    first = false;
  }
};

// A word in marks, or none, as the kind's bits 6 and 7 say; a word without
// text as text.
void word_segment(Builder& b, unsigned kind, const std::string& word, const std::string& text,
                  const std::string& decoded_text) {
  if (text.empty()) {
    b.segment(word, word, false);
  } else if ((kind & 0x40U) != 0) {
    const std::string open = (kind & 0x80U) != 0 ? "(" : "\"";
    const std::string close = (kind & 0x80U) != 0 ? ")" : "\"";
    b.segment(open + word + close, open + decoded_text + close, false);
  } else {
    b.segment(word, decoded_text, true);
  }
}

void check_built_value(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  const auto byte = [&]() -> unsigned { return pos < size ? data[pos++] : 0U; };
  Builder b;
  while (pos < size) {
    const unsigned kind = byte();
    const bool base64 = (kind & 0x20U) != 0;
    std::string text;
    std::string expected;
    if (kind % 4 == 0) {
      for (unsigned n = byte() % 16; n > 0; --n) {
        const auto c = static_cast<char>(byte());
        text += c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '=' || c == '?' ? 'x' : c;
      }
      if (!text.empty()) b.segment(text, text, false);
    } else if (kind % 4 == 1) {
      for (unsigned n = byte() % 8; n > 0; --n) {
        char32_t c = (byte() << 16 | byte() << 8 | byte()) % 0x110000;
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        text += model::utf8_of(c);
        expected += model::decoded_character(c);
      }
      word_segment(b, kind, model::encoded_word(kUtf8Names[kind >> 2 & 7], base64, text), text,
                   expected);
    } else if (kind % 4 == 2) {
      for (unsigned n = byte() % 16; n > 0; --n) {
        const unsigned c = byte();
        text += static_cast<char>(c);
        expected += model::decoded_character(c);
      }
      word_segment(b, kind, model::encoded_word(kLatin1Names[kind >> 2 & 7], base64, text), text,
                   expected);
    } else {
      static constexpr std::array<std::string_view, 4> kSpaces = {" ", "\t", "\r\n ", "  "};
      b.space += kSpaces[byte() % 4];
    }
  }
  b.value += b.space;
  b.expected += b.space;
  check_equal(decoded(b.value), b.expected, "a built value does not decode to its words' text");
}

}  // namespace
}  // namespace fieldsift::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fieldsift::fuzz;
  if (size == 0) return 0;
  if ((data[0] & 1U) == 0) {
    // libFuzzer's own buffer, of exactly the input's size: a read past the
    // value is caught.
    check_any_value(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  } else {
    check_built_value(data + 1, size - 1);
  }
  return 0;
}
