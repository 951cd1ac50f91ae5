#include "message/header_copier.h"

#include "message/header_blocks.h"
#include "message/input_frame.h"
#include "textio/byte_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/header_model.h"
#include "support/random_bytes.h"
#include "support/scripted_channel.h"
#include "support/scripted_streams.h"

namespace fieldsift {
namespace {

using testing::ScriptedChannel;
using testing::ScriptedOutput;
using testing::string_of;

const std::string kMark = "\xEF\xBB\xBF";  // UTF-8's byte order mark

// What headsift writes for an input read in pieces of the given sizes (in
// turn), through a writer of the given kind, the input of the given kind.
std::string copied(const std::string& input, std::vector<std::size_t> cuts = {},
                   StreamKind out_kind = StreamKind::Pipe, InputKind kind = InputKind::Plain) {
  ScriptedChannel in_channel(StreamKind::Pipe);
  in_channel.script({{input}});
  if (!cuts.empty()) in_channel.cut_reads(std::move(cuts));
  ScriptedChannel out_channel(out_kind);
  TextInput in(in_channel, StreamMode::Binary);
  StreamBuffer in_buffer;
  ByteReader reader(in, in_buffer);
  ScriptedOutput out(out_channel, StreamMode::Binary);
  HeaderBlocks blocks(out.writer);
  HeaderCopier<HeaderBlocks> copier(blocks);
  InputFrame frame(kind);
  for (auto bytes = reader.read(); !bytes.empty(); bytes = reader.read()) frame.feed(bytes, copier);
  frame.end(copier);
  copier.finish();
  EXPECT_TRUE(out.writer.flush());
  return out_channel.written();
}

struct CopyCase {
  const char* what;
  std::string input;
  std::string output;
};

TEST(HeaderCopierTest, HeadersWithTheirEmptyLinesAndNothingElse) {
  const std::string crlf_message =
      "From a\r\nX: 1\r\n folded\r\n\r\nbody\r\nFrom b\r\nY: 2\r\n\r\n";
  const std::vector<CopyCase> cases = {
      {"empty input", "", ""},
      {"a message", "From a\nX: 1\n\nbody\n", "From a\nX: 1\n\n"},
      {"CR LF as it came", crlf_message, "From a\r\nX: 1\r\n folded\r\n\r\nFrom b\r\nY: 2\r\n\r\n"},
      {"the input's start begins a message", "From x\nX: 1\n\nbody\n", "From x\nX: 1\n\n"},
      // An input that opens with anything but "From " is one message, as a
      // Maildir file or an .eml is: a body line "From " is its body's.
      {"one message: a body From line is body",
       "Subject: the only one\n\nFrom what I saw, it works.\nSubject: not a header\n",
       "Subject: the only one\n\n"},
      {"one message: From without its space opens it", "From:x\n\nFrom b\nY: 2\n\n", "From:x\n\n"},
      {"a quoted From and a From without its space are body lines",
       "From a\n\n>From b\nFrom\nFrom:x\nfrom c\nFrom d\n\n", "From a\n\nFrom d\n\n"},
      {"a From line inside a header is a header line", "X: 1\nFrom a\n\n", "X: 1\nFrom a\n\n"},
      {"a lone CR before the LF is empty; CR CR LF is not", "A\n\r\r\nB\n\r\nC\n",
       "A\n\r\r\nB\n\r\n"},
      {"the input begins with its empty line", "\nFrom a\nB\n\n", "\n"},
      {"NUL and 0x1A are bytes like any other", std::string("From \0\x1a\n\0\n\nx\n", 13),
       std::string("From \0\x1a\n\0\n\n", 11)},
      // The only bytes headsift adds: a header cut off by the end of input is closed.
      {"ends inside a line", "From a\nX: 1", "From a\nX: 1\n\n"},
      {"ends after a line", "From a\nX: 1\r\n", "From a\nX: 1\r\n\n"},
      {"ends after a lone CR", "From a\n\r", "From a\n\r\n\n"},
      {"ends in a body: nothing added", "From a\n\nbody", "From a\n\n"},
      {"ends inside a From line", "From a\n\nFrom b", "From a\n\nFrom b\n\n"},
      // A byte order mark that opens the input is none of it: the line after
      // it tells a mailbox. Anywhere else, or cut short, it is bytes as any.
      {"a mark before a mailbox", kMark + crlf_message,
       "From a\r\nX: 1\r\n folded\r\n\r\nFrom b\r\nY: 2\r\n\r\n"},
      {"a mark before one message", kMark + "X: 1\n\nFrom b\n\n", "X: 1\n\n"},
      {"a mark alone", kMark, ""},
      {"a mark before the empty line", kMark + "\nX: 1\n", "\n"},
      {"two marks: the second is the message's", kMark + kMark + "From a\n\n",
       kMark + "From a\n\n"},
      {"a mark after a separator is the line's", "From a\n\n" + kMark + "From b\n\n", "From a\n\n"},
      {"a mark cut short opens the text", kMark.substr(0, 2) + "From a\n\nFrom b\n\n",
       kMark.substr(0, 2) + "From a\n\n"},
      {"a mark's first byte alone", "\xEF", "\xEF\n\n"},
      {"a mark cut short at the end", "\xEF\xBB", "\xEF\xBB\n\n"},
  };
  for (const CopyCase& c : cases) {
    EXPECT_EQ(model::header_blocks(c.input), c.output) << "the model, " << c.what;
    EXPECT_EQ(copied(c.input), c.output) << c.what;
    EXPECT_EQ(copied(c.input, {1}), c.output) << c.what << ", a byte a read";
  }
}

// An .emlx file: a first line that counts the message's bytes after it is
// passed over, and so is everything after them; a first line that is no
// count is the message's, as in any file.
TEST(HeaderCopierTest, EmlxFilesHoldTheMessageTheirFirstLineCounts) {
  const std::string message = "Subject: s\nX: 1\n\nbody\n";  // 22 bytes
  const std::string plist = "<?xml version=\"1.0\"?>\n<plist><dict/></plist>\n";
  const std::vector<CopyCase> cases = {
      {"the count as written", "22\n" + message + plist, "Subject: s\nX: 1\n\n"},
      {"padded with SP and TAB", " \t22  \t\n" + message + plist, "Subject: s\nX: 1\n\n"},
      {"a mailbox's separator within", "13\nFrom a\nX: 1\n\nFrom b\nY: 2\n\n", "From a\nX: 1\n\n"},
      {"a count that ends inside the header", "12\n" + message + plist, "Subject: s\nX\n\n"},
      {"a count past the end: what there is", "9999\n" + message, "Subject: s\nX: 1\n\n"},
      {"a count past any file's", std::string(40, '9') + "\nX: 1", "X: 1\n\n"},
      {"a count of nothing", "0\n" + message, ""},
      {"after a byte order mark", kMark + "22\n" + message + plist, "Subject: s\nX: 1\n\n"},
      {"a count line as long as it may be", std::string(62, ' ') + "22\n" + message + plist,
       "Subject: s\nX: 1\n\n"},
      {"longer is no count", std::string(63, ' ') + "22\n" + message,
       std::string(63, ' ') + "22\n" + "Subject: s\nX: 1\n\n"},
      {"digits, blanks, digits: no count", "2 2\n" + message, "2 2\nSubject: s\nX: 1\n\n"},
      {"blanks alone: no count", " \n" + message, " \nSubject: s\nX: 1\n\n"},
      {"a CR before the LF: no count", "22\r\n" + message, "22\r\nSubject: s\nX: 1\n\n"},
      {"a sign: no count", "+22\n" + message, "+22\nSubject: s\nX: 1\n\n"},
      {"a header's first line: no count", message, "Subject: s\nX: 1\n\n"},
      {"a count without its LF: no count", "22", "22\n\n"},
      {"empty", "", ""},
  };
  for (const CopyCase& c : cases) {
    EXPECT_EQ(model::header_blocks(c.input, model::Form::Emlx), c.output)
        << "the model, " << c.what;
    EXPECT_EQ(copied(c.input, {}, StreamKind::Pipe, InputKind::Emlx), c.output) << c.what;
    EXPECT_EQ(copied(c.input, {1}, StreamKind::Pipe, InputKind::Emlx), c.output)
        << c.what << ", a byte a read";
  }
}

TEST(HeaderCopierTest, EmlxByItsNameInEitherCase) {
  EXPECT_EQ(kind_of_file("INBOX.mbox/Messages/12.emlx"), InputKind::Emlx);
  EXPECT_EQ(kind_of_file("12.partial.emlx"), InputKind::Emlx);
  EXPECT_EQ(kind_of_file("C:\\Mail\\12.EmLx"), InputKind::Emlx);
  EXPECT_EQ(kind_of_file(".emlx"), InputKind::Emlx);
  EXPECT_EQ(kind_of_file("12.eml"), InputKind::Plain);
  EXPECT_EQ(kind_of_file("12.emlx.gz"), InputKind::Plain);
  EXPECT_EQ(kind_of_file("emlx"), InputKind::Plain);
  EXPECT_EQ(kind_of_file("12_emlx"), InputKind::Plain);
}

// Mail-like bytes: line ends of both kinds, empty lines, separators whole and
// cut, and long runs of plain bytes so that the scans take whole blocks.
std::string random_mail(std::mt19937& rng) {
  static const std::vector<std::string> kPieces = {
      "\n",           "\r\n",     "\r",   "From ",    "From",    "F",
      "X: y",         ">From ",   "\n\n", "\r\n\r\n", " folded", std::string(70, 'b'),
      "\xEF\xBB\xBF", "\xEF\xBB", "12",   " ",        "\t"};
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  std::uniform_int_distribution<std::size_t> count(0, 60);
  std::string mail;
  for (std::size_t n = count(rng); n > 0; --n) mail += kPieces[pick(rng)];
  return mail;
}

// Either kind of input, an .emlx file every other round: the count lines
// that random bytes make are few, so one is put first in half of those.
TEST(HeaderCopierPropertyTest, OutputDoesNotDependOnWhereReadsAreCut) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<std::size_t> cut(1, 80);
  std::uniform_int_distribution<std::size_t> count(0, 200);
  for (int round = 0; round < 4000; ++round) {
    const bool emlx = round % 2 == 1;
    std::string input = random_mail(rng);
    if (round % 4 == 1)
      input = (round % 8 == 1 ? "" : kMark) + std::to_string(count(rng)) + "\n" + input;
    const InputKind kind = emlx ? InputKind::Emlx : InputKind::Plain;
    const std::string expected =
        model::header_blocks(input, emlx ? model::Form::Emlx : model::Form::Plain);
    ASSERT_EQ(copied(input, {}, StreamKind::Pipe, kind), expected) << "input: " << input;
    std::vector<std::size_t> cuts(5);
    for (std::size_t& c : cuts) c = cut(rng);
    ASSERT_EQ(copied(input, cuts, StreamKind::Pipe, kind), expected) << "input: " << input;
    ASSERT_EQ(copied(input, cuts, StreamKind::Device, kind), expected)
        << "to a terminal: " << input;
  }
}

}  // namespace
}  // namespace fieldsift
