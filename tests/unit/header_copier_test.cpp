#include "message/header_copier.h"

#include "message/header_blocks.h"
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

// What headsift writes for an input read in pieces of the given sizes (in
// turn), through a writer of the given kind.
std::string copied(const std::string& input, std::vector<std::size_t> cuts = {},
                   StreamKind out_kind = StreamKind::Pipe) {
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
  for (auto bytes = reader.read(); !bytes.empty(); bytes = reader.read()) copier.feed(bytes);
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
  };
  for (const CopyCase& c : cases) {
    EXPECT_EQ(model::header_blocks(c.input), c.output) << "the model, " << c.what;
    EXPECT_EQ(copied(c.input), c.output) << c.what;
    EXPECT_EQ(copied(c.input, {1}), c.output) << c.what << ", a byte a read";
  }
}

// Mail-like bytes: line ends of both kinds, empty lines, separators whole and
// cut, and long runs of plain bytes so that the scans take whole blocks.
std::string random_mail(std::mt19937& rng) {
  static const std::vector<std::string> kPieces = {
      "\n",   "\r\n",   "\r",   "From ",    "From",    "F",
      "X: y", ">From ", "\n\n", "\r\n\r\n", " folded", std::string(70, 'b')};
  std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
  std::uniform_int_distribution<std::size_t> count(0, 60);
  std::string mail;
  for (std::size_t n = count(rng); n > 0; --n) mail += kPieces[pick(rng)];
  return mail;
}

TEST(HeaderCopierPropertyTest, OutputDoesNotDependOnWhereReadsAreCut) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<std::size_t> cut(1, 80);
  for (int round = 0; round < 4000; ++round) {
    const std::string input = random_mail(rng);
    const std::string expected = model::header_blocks(input);
    ASSERT_EQ(copied(input), expected) << "input: " << input;
    std::vector<std::size_t> cuts(5);
    for (std::size_t& c : cuts) c = cut(rng);
    ASSERT_EQ(copied(input, cuts), expected) << "input: " << input;
    ASSERT_EQ(copied(input, cuts, StreamKind::Device), expected) << "to a terminal: " << input;
  }
}

}  // namespace
}  // namespace fieldsift
