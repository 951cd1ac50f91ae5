#include "decode/encoded_words.h"

#include <gtest/gtest.h>

#include "decode/charset.h"
#include "decode/iso2022jp.h"

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "bytes/byte_vector.h"
#include "bytes/bytes_of.h"
#include "support/encoded_word_model.h"
#include "support/scripted_channel.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

using testing::bytes_of;
using testing::string_of;

std::string decoded(std::string_view value) {
  ByteVector out;
  EXPECT_TRUE(decode_words(bytes_of(value), out)) << value;
  return string_of(out.bytes());
}

struct DecodeCase {
  const char* what;
  std::string value;
  std::string expected;
};

// Each rule once; the charsets decoded by our own tables, one or two of a
// family (the tables themselves are held to Python's codecs by a test of
// their own).
const std::vector<DecodeCase> kCases = {
    {"no encoded word", "Hello, world = ? ?= =", "Hello, world = ? ?= ="},
    {"B", "=?UTF-8?B?VmnFoWVuYW1qZW5za2kgcGnFoXRvbGo=?=", "Višenamjenski pištolj"},
    {"Q", "=?ISO-8859-1?Q?Andr=E9?=", "André"},
    {"Q: _ is a space, hex in lower case", "=?iso-8859-1?q?Andr=e9_Ma=EEtre?=", "André Maître"},
    {"charset and encoding in any case", "=?uTf-8?b?w6k=?= =?Latin1?q?=E9?=", "éé"},
    {"text before and after a word", "Re: =?utf-8?q?caf=C3=A9?= ok", "Re: café ok"},
    {"white space between words dropped", "=?utf-8?q?a?=  =?utf-8?q?b?=\t=?latin1?q?c?=", "abc"},
    {"folding white space between words dropped", "=?utf-8?q?a?=\r\n =?utf-8?q?b?=", "ab"},
    {"white space kept next to text", " x =?utf-8?q?a?= y =?utf-8?q?b?= ", " x a y b "},
    {"a character cut across two words", "=?utf-8?q?=C3?= =?UTF-8?B?qQ==?=", "é"},
    {"language suffix", "=?utf-8*en?q?hello?= =?ISO-8859-1*fr-CA?Q?=E9t=E9?=", "helloété"},
    {"a language not of letters, digits and -",
     "=?utf-8*e\x01n?q?a?= =?utf-8*e n?q?a?=", "=?utf-8*e\x01n?q?a?= =?utf-8*e n?q?a?="},
    {"B without its padding", "=?utf-8?b?YQ?= =?utf-8?b?YWI?=", "aab"},
    {"B with too much padding", "=?utf-8?b?YQ====?=", "a"},
    {"B with bits past its last byte", "=?utf-8?b?YR==?= =?utf-8?b?SGVsbG8gb25=?=", "aHello on"},
    {"no text is no word, and swallows no white space",
     "=?utf-8?q?a?= =?utf-8?b?"
     "?= =?utf-8?q?b?=",
     "a =?utf-8?b?"
     "?= b"},
    {"text that stands for no byte", "x =?utf-8?b?==?= y", "x  y"},
    {"B: a lone character after the last four", "=?utf-8?b?YWJjZ?=", "=?utf-8?b?YWJjZ?="},
    {"B: padding inside", "=?utf-8?b?YQ==YQ==?=", "=?utf-8?b?YQ==YQ==?="},
    {"B: a character outside the alphabet", "=?utf-8?b?YW!j?=", "=?utf-8?b?YW!j?="},
    {"Q: = without two hex digits",
     "=?utf-8?q?a=4?= =?utf-8?q?a=GG?=", "=?utf-8?q?a=4?= =?utf-8?q?a=GG?="},
    {"Q: an 8-bit byte", "=?utf-8?q?\xc3\xa9?=", "=?utf-8?q?\xc3\xa9?="},
    {"an encoding neither B nor Q", "=?utf-8?x?abc?=", "=?utf-8?x?abc?="},
    {"unknown charset", "=?x-unknown?q?abc?=", "=?x-unknown?q?abc?="},
    {"a charset name longer than any we know",
     "=?utf-8-but-much-longer-than-any-name?q?a?=", "=?utf-8-but-much-longer-than-any-name?q?a?="},
    {"no charset", "=??q?abc?= =?*en?q?a?=", "=??q?abc?= =?*en?q?a?="},
    {"a word glued to text", "H=?ISO-8859-1?B?9g==?=hn", "H=?ISO-8859-1?B?9g==?=hn"},
    {"a word in a comment or a quoted string", "(=?utf-8?q?a?=) \"=?utf-8?q?b?=\"", "(a) \"b\""},
    {"in a display name", "\"=?utf-8?q?J=C3=B6rg?=\" <j@x>", "\"J\u00f6rg\" <j@x>"},
    {"in a comment after an address", "j@x (=?utf-8?q?J=C3=B6rg?=)", "j@x (J\u00f6rg)"},
    {"white space inside the marks as anywhere", "\" =?utf-8?q?a?= \" ( =?utf-8?q?b?= )",
     "\" a \" ( b )"},
    {"words of one quoted string joined",
     "\"=?utf-8?q?J=C3?= =?utf-8?q?=B6rg?=\" (=?utf-8?q?a?=\t=?utf-8?q?b?=)", "\"J\u00f6rg\" (ab)"},
    {"marks nested and glued to text before", "((=?utf-8?q?a?=)) x\"=?utf-8?q?b?=\"",
     "((a)) x\"b\""},
    {"a closing mark ends a run",
     "\"=?utf-8?q?=C3?=\" =?utf-8?q?=A9?=", "\"=?utf-8?q?=C3?=\" =?utf-8?q?=A9?="},
    {"a mark inside Q text", "(=?utf-8?q?a)?=) \"=?utf-8?q?\"?=\"", "(a)) \"\"\""},
    {"glued after a closing mark or before an opening one",
     "(x)=?utf-8?q?a?= =?utf-8?q?b?=(x) \"=?utf-8?q?c?=x\"",
     "(x)=?utf-8?q?a?= =?utf-8?q?b?=(x) \"=?utf-8?q?c?=x\""},
    {"a CR alone is no white space", "=?utf-8?q?a?=\r=?utf-8?q?b?= =?utf-8?q?c?= \r =?utf-8?q?d?=",
     "=?utf-8?q?a?=\r=?utf-8?q?b?= c \r d"},
    {"a LF alone is", "=?utf-8?q?a?=\n\t=?utf-8?q?b?=\n", "ab\n"},
    {"two words glued together", "=?utf-8?q?a?==?utf-8?q?b?=", "=?utf-8?q?a?==?utf-8?q?b?="},
    {"a ? inside the text", "=?utf-8?q?a?b?=", "=?utf-8?q?a?b?="},
    {"not UTF-8", "=?utf-8?b?/w==?=", "=?utf-8?b?/w==?="},
    {"UTF-8 cut short", "=?utf-8?q?a=C3?= b", "=?utf-8?q?a=C3?= b"},
    {"UTF-8 overlong, surrogate, past U+10FFFF",
     "=?utf-8?q?=C0=AF?= =?utf-8?q?=ED=A0=80?= =?utf-8?q?=F4=90=80=80?=",
     "=?utf-8?q?=C0=AF?= =?utf-8?q?=ED=A0=80?= =?utf-8?q?=F4=90=80=80?="},
    {"a byte the table leaves unmapped", "=?windows-1252?q?=81?=", "=?windows-1252?q?=81?="},
    {"an 8-bit byte in US-ASCII", "=?us-ascii?q?=E9?= =?us-ascii?q?ok?=", "=?us-ascii?q?=E9?= ok"},
    {"a word as it stands keeps the white space around it",
     "=?utf-8?q?a?= =?x-unknown?q?b?= =?utf-8?q?c?=", "a =?x-unknown?q?b?= c"},
    {"words of one charset that do not convert together go one by one",
     "=?utf-8?q?a?= =?utf-8?q?=FF?= =?utf-8?q?c?=", "a =?utf-8?q?=FF?= c"},
    {"8-bit bytes and controls outside words as they are", "\xe9t\xe9\x01 =?utf-8?q?a?=\x7f",
     "\xe9t\xe9\x01 =?utf-8?q?a?=\x7f"},
    {"C0 controls, DEL and C1 controls decoded are U+FFFD",
     "=?utf-8?q?a=00=01=1F=7F=C2=85b?=", "a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDb"},
    {"a C1 control from a table", "=?iso-8859-1?q?=85?=", "\uFFFD"},
    {"TAB, CR and LF decoded stay", "=?utf-8?q?a=09b=0D=0Ac?=", "a\tb\r\nc"},
    {"accented Latin", "=?iso-8859-2?B?WmG/87PmIGfqtmyxIGphvPE=?=", "Zażółć gęślą jaźń"},
    {"the euro sign of ISO-8859-15 and windows-1252",
     "=?iso-8859-15?q?=A4?= =?cp1252?q?=80?=", "€€"},
    {"Cyrillic: KOI8-R, windows-1251, ISO-8859-5",
     "=?koi8-r?B?8NLJ18XU?= =?windows-1251?B?z/Do4uXy?= =?ISO-8859-5?B?v+DY0tXi?=",
     "ПриветПриветПривет"},
    {"Cyrillic: KOI8-U", "=?koi8-u?B?t9bByw==?=", "Їжак"},
    {"Greek and Hebrew",
     "=?iso-8859-7?B?yuHr5+zd8eE=?= =?iso-8859-8-i?B?+ezl7Q==?=", "Καλημέραשלום"},
    {"Arabic", "=?windows-1256?B?49HNyMc=?=", "مرحبا"},
    {"names compared as Python's codecs compare them",
     "=?LATIN-1?q?=E9?= =?latin_1?q?=E9?= =?Latin--1?q?=E9?= =?-latin1-?q?=E9?= "
     "=?iso8859_1?q?=E9?=",
     "ééééé"},
    {"a name with a control or an 8-bit byte",
     "=?latin\x01"
     "1?q?=E9?= =?latin\xa0"
     "1?q?=E9?=",
     "=?latin\x01"
     "1?q?=E9?= =?latin\xa0"
     "1?q?=E9?="},
    {"labels the WHATWG Encoding Standard gives",
     "=?x-mac-roman?B?2Q==?= =?iso88591?q?=80?= =?unicode?B?YQA=?= =?koi8-ru?q?=E1?=", "Ÿ€aА"},
    {"UTF-16, its byte-order mark honoured",
     "=?utf-16?B?//5KAPYAcgBnAA==?= =?utf-16?b?/v8ASgD2AHIAZw==?=", "JörgJörg"},
    {"UTF-16 without a mark is big-endian", "=?UTF-16?B?AEoA9gByAGc=?=", "Jörg"},
    {"UTF-16, each word its own text, each with its mark",
     "=?utf-16?b?//5hAGIA?= =?utf-16?b?//5jAA==?=", "abc"},
    {"UTF-16BE and UTF-16LE, a surrogate pair",
     "=?utf-16be?B?AGHYNN0e?= =?UTF-16LE?B?YQA02B7d?=", "a\U0001D11Ea\U0001D11E"},
    {"UTF-16LE: a mark is a character", "=?utf-16le?B?//5hAA==?=", "\uFEFFa"},
    {"UTF-16: a surrogate alone, an odd byte",
     "=?utf-16be?B?2DQAYQ==?= =?utf-16be?B?AGEA?= =?utf-16be?q?=DC=00?=",
     "=?utf-16be?B?2DQAYQ==?= =?utf-16be?B?AGEA?= =?utf-16be?q?=DC=00?="},
    {"UTF-16 split across words of one charset", "=?utf-16be?q?=00?= =?utf-16be?q?a?=", "a"},
    {"UTF-7",
     "=?utf-7?B?SitBUFktcmcgK0lLdy0=?= =?UTF-7?Q?a+-b+2D3dHg-.+AGE?=", "Jörg €a+b\U0001F51E.a"},
    {"UTF-7: each word its own text", "=?utf-7?q?+AGE?= =?utf-7?q?AGE?=", "aAGE"},
    {"UTF-7: a run ended by text or by the word's end", "=?utf-7?q?+AGE.?= =?utf-7?q?b+?=", "a.b"},
    {"UTF-7 refused: a surrogate alone, bits left over, an 8-bit byte, + before a mark",
     "=?utf-7?q?+2D0-?= =?utf-7?q?+AGEB-?= =?utf-7?q?+AGEA?= =?utf-7?q?a=80?= =?utf-7?q?+!?=",
     "=?utf-7?q?+2D0-?= =?utf-7?q?+AGEB-?= =?utf-7?q?+AGEA?= =?utf-7?q?a=80?= =?utf-7?q?+!?="},
    {"Thai: TIS-620, Windows-874, ISO-8859-11",
     "=?tis-620?B?wNLJ0uS3wg==?= =?windows-874?B?gOS3wg==?= =?iso-8859-11?B?5LfC?= "
     "=?tis-620?q?=A0?=",
     "ภาษาไทย€ไทยไทย =?tis-620?q?=A0?="},
    {"Mac Roman, Icelandic, Central European",
     "=?macintosh?B?Q2FmjiCq?= =?mac-iceland?B?3pdy?= =?x-mac-ce?B?/JdkkA==?=", "Café ™ÞórŁódź"},
    {"Mac Cyrillic, Greek, Turkish",
     "=?x-mac-cyrillic?B?j/Do4uXy?= =?x-mac-greek?B?uuHs6O3b8uE=?= =?x-mac-turkish?B?3mnfbGk=?=",
     "ПриветΚαλημέραŞişli"},
    {"DOS: 437, 850, 852, 866",
     "=?ibm437?B?gMnNuw==?= =?cp850?B?pW+kbw==?= =?852?B?naJkqw==?= =?cp866?B?j+CooqXi?=",
     "Ç╔═╗ÑoñoŁódźПривет"},
};

TEST(DecodeWordsTest, HandMadeCases) {
  for (const DecodeCase& c : kCases) EXPECT_EQ(decoded(c.value), c.expected) << c.what;
}

// Each name leads to its row, in any case, and each row says how it decodes
// with just the pointers its way needs.
TEST(CharsetTest, EveryNameFindsItsRow) {
  const std::span<const CharsetName> names = charset_names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const CharsetName& n = names[i];
    if (i > 0) {
      EXPECT_LT(names[i - 1].name, n.name) << "names sorted, each once";
    }
    std::string upper(n.name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(find_charset(bytes_of(n.name)), n.charset) << n.name;
    EXPECT_EQ(find_charset(bytes_of(upper)), n.charset) << upper;
    const Decoding d = n.charset->decoding;
    EXPECT_EQ(n.charset->table != nullptr, d == Decoding::ByTable) << n.name;
    EXPECT_EQ(n.charset->system != nullptr, d == Decoding::BySystem || d == Decoding::Iso2022Jp)
        << n.name;
  }
}

TEST(DecodeWordsTest, AppendsToWhatOutHolds) {
  ByteVector out;
  ASSERT_TRUE(out.append(bytes_of("x:")));
  ASSERT_TRUE(decode_words(bytes_of("=?utf-8?q?a?="), out));
  ASSERT_TRUE(decode_words(bytes_of(" b"), out));
  EXPECT_EQ(string_of(out.bytes()), "x:a b");
}

// Text of every character a byte stands for in ISO-8859-1 and of characters
// from every UTF-8 length, encoded at random as B or Q, words of random
// lengths with random white space between them: decoded, it is the text
// again, its controls replaced.
TEST(DecodeWordsTest, DecodesWhatIsEncoded) {
  std::mt19937 rng(31);
  const std::vector<char32_t> samples = {0x00, 0x09, 0x1F, ' ',  '=',   '?',    '_',    'A',
                                         0x7F, 0x85, 0xA0, 0xE9, 0x416, 0x3042, 0xFFFD, 0x1F600};
  for (int round = 0; round < 2000; ++round) {
    std::string value;
    std::string expected;
    for (int words = 1 + static_cast<int>(rng() % 4); words > 0; --words) {
      std::string text;
      const bool latin1 = rng() % 2 == 0;
      // At least one character: a word without text is none.
      for (int n = 1 + static_cast<int>(rng() % 5); n > 0; --n) {
        const char32_t c = latin1 ? rng() % 256 : samples[rng() % samples.size()];
        text += latin1 ? std::string(1, static_cast<char>(c)) : model::utf8_of(c);
        expected += model::decoded_character(c);
      }
      if (!value.empty()) value += std::string(1 + rng() % 3, rng() % 2 == 0 ? ' ' : '\t');
      value += model::encoded_word(latin1 ? "ISO-8859-1" : "utf-8", rng() % 2 == 0, text);
    }
    ASSERT_EQ(decoded(value), expected) << value;
  }
}

struct Iso2022JpCase {
  const char* what;
  std::string iso2022jp;
  std::string eucjp;  // empty: refused
};

TEST(Iso2022JpTest, BecomesEucJp) {
  const std::vector<Iso2022JpCase> cases = {
      {"ASCII, and JIS X 0201 Roman as ASCII", "a\\~\x1b(Ja\\~", "a\\~a\\~"},
      {"JIS X 0208, either escape", "\x1b$B%F\x1b$@%9\x1b(Bx", "\xa5\xc6\xa5\xb9x"},
      {"JIS X 0201 katakana", "\x1b(IC=D", "\x8e\xc3\x8e\xbd\x8e\xc4"},
      {"another escape: JIS X 0212, KS C 5601", "x\x1b$(D0!", ""},
      {"another escape: KS C 5601", "\x1b$)C", ""},
      {"an escape cut short", "a\x1b$", ""},
      {"an 8-bit byte", "a\xa5", ""},
      {"a character cut short", "\x1b$B%", ""},
      {"a space inside JIS X 0208", "\x1b$B% ", ""},
      {"a byte past the katakana", "\x1b(I`", ""},
  };
  for (const Iso2022JpCase& c : cases) {
    ByteVector out;
    const Conversion result = iso2022jp_to_eucjp(bytes_of(c.iso2022jp), out);
    EXPECT_EQ(result, c.eucjp.empty() ? Conversion::Refused : Conversion::Converted) << c.what;
    if (result == Conversion::Converted) {
      EXPECT_EQ(string_of(out.bytes()), c.eucjp) << c.what;
    }
  }
}

// The charsets left to the system's converter, each named by a label of it;
// a system without a converter for a charset (the C libraries for other
// processors here carry no converter modules) skips its cases, saying so.
struct SystemCase {
  const char* label;
  const char* what;
  std::string value;
  std::string expected;
  std::string on_windows = {};  // where Windows gives other bytes, those; else empty
};

// A failing or skipped case names its charset.
void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.what; }

class SystemCharsetTest : public ::testing::TestWithParam<SystemCase> {
 protected:
  void SetUp() override {
    const Charset* const charset = find_charset(bytes_of(GetParam().label));
    ASSERT_NE(charset, nullptr) << GetParam().label;
    ASSERT_NE(charset->system, nullptr) << GetParam().label;
    ByteVector out;
    if (convert_to_utf8(*charset->system, bytes_of("a"), out) == Conversion::NoConverter)
      GTEST_SKIP() << "no converter on this system for " << GetParam().what;
  }
};

TEST_P(SystemCharsetTest, DecodesAsTheSystemConverts) {
  const SystemCase& c = GetParam();
  EXPECT_EQ(decoded(c.value),
            FIELDSIFT_TARGET_WINDOWS && !c.on_windows.empty() ? c.on_windows : c.expected);
}

const std::vector<SystemCase> kSystemCases = {
    {"iso-2022-jp", "ISO-2022-JP", "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", "テスト"},
    {"iso-2022-jp", "ISO-2022-JP, half-width katakana", "=?iso-2022-jp?B?GyhJQz1EGyhC?=", "ﾃｽﾄ"},
    {"shift_jis", "Shift_JIS", "=?shift_jis?B?k/qWe4zqgsyMj5a8?=", "日本語の件名"},
    {"shift_jis", "Shift_JIS, ASCII as ASCII", "=?Shift_JIS?Q?a=5C~?=", "a\\~"},
    {"euc-jp", "EUC-JP", "=?euc-jp?B?xvzL3LjspM6378y+?=", "日本語の件名"},
    {"gb2312", "GB2312", "=?GB2312?B?sai827Wl?=", "报价单"},
    {"gb18030", "GB18030", "=?gb18030?B?1tDOxNPKvP4=?=", "中文邮件"},
    {"big5", "Big5", "=?big5?B?pKSk5bZspfM=?=", "中文郵件"},
    {"ks_c_5601-1987", "EUC-KR", "=?ks_c_5601-1987?B?x9Gxub7uIMGmuPE=?=", "한국어 제목"},
    {"gbk", "GBK cut short", "=?gbk?q?a=B1?=", "=?gbk?q?a=B1?="},
    {"shift_jis", "Shift_JIS, a control decoded", "=?shift_jis?q?a=01?=", "a\uFFFD"},
    // KERNEL32's EUC-JP gives 0x8F, JIS X 0212's shift, as U+008F and reads
    // the character after it as JIS X 0208's; no text here holds a C1
    // control, so a converter that gives one has misread the bytes.
    {"euc-jp", "EUC-JP, JIS X 0212", "=?euc-jp?B?j7Ch?=", "丂", "=?euc-jp?B?j7Ch?="},
    {"euc-jp", "EUC-JP, a byte read as a C1 control", "=?euc-jp?q?a=80?=", "=?euc-jp?q?a=80?="},
    {"big5-hkscs", "Big5-HKSCS", "=?big5-hkscs?B?pKSk5Z3v?=", "中文嘅"},
    // KERNEL32's CP950 reads its user-defined area (81-A0 first bytes), where
    // HKSCS has characters, as characters for private use.
    {"cp950", "Big5 has no HKSCS", "=?big5?B?pKSk5Z3v?=", "=?big5?B?pKSk5Z3v?=", "中文\uECD1"},
};

INSTANTIATE_TEST_SUITE_P(Charsets, SystemCharsetTest, ::testing::ValuesIn(kSystemCases),
                         [](const ::testing::TestParamInfo<SystemCase>& c) {
                           std::string name;
                           for (const char* p = c.param.what; *p != '\0'; ++p)
                             if (std::isalnum(static_cast<unsigned char>(*p)) != 0) name += *p;
                           return name;
                         });

}  // namespace
}  // namespace fieldsift
