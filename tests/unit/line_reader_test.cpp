#include "textio/line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/scripted_channel.h"
#include "support/scripted_streams.h"
#include "textio/byte_reader.h"

namespace fieldsift {
namespace {

using testing::all_lines;
using testing::ReadStep;
using testing::ScriptedChannel;
using testing::ScriptedInput;
using testing::string_of;

// What one request for a line answered: the whole line (head and rest), or
// "<none>" when no line was left.
std::string take_line(LineReader& reader, std::vector<unsigned char>& buffer) {
  const std::optional<Line> line = reader.read_line(buffer);
  if (!line) return "<none>";
  std::string text = string_of(line->head);
  if (line->has_rest) {
    for (auto piece = reader.read_rest(); !piece.empty(); piece = reader.read_rest())
      text += string_of(piece);
  }
  return text;
}

struct SplitCase {
  const char* what;
  std::string input;
  std::vector<std::string> lines;
};

TEST(LineReaderTest, SplitsAtLineFeedsWhateverTheReadSizes) {
  const std::vector<SplitCase> cases = {
      {"empty input", "", {}},
      {"last line without a line feed", "a\nb", {"a", "b"}},
      {"no extra line after a final line feed", "a\n", {"a"}},
      {"two line feeds are two empty lines", "\n\n", {"", ""}},
      {"NUL bytes are stored",
       std::string("a\0b\n\0\n", 6),
       {std::string("a\0b", 3), std::string(1, '\0')}},
      {"CR LF ends a line, a lone CR does not", "a\r\nb\rc\n", {"a", "b\rc"}},
      {"lines across refills",
       std::string(5000, 'x') + "\n" + std::string(9000, 'y') + "\nz",
       {std::string(5000, 'x'), std::string(9000, 'y'), "z"}},
  };
  for (const SplitCase& c : cases) {
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{3}, std::size_t{4096}, std::size_t{100000}}) {
      ScriptedChannel channel;
      channel.script_chunks(c.input, chunk);
      EXPECT_EQ(all_lines(channel), c.lines) << c.what << ", reads of " << chunk;
    }
  }
}

TEST(LineReaderTest, LinesOfAnyLengthStayOneLine) {
  for (const std::size_t length :
       {std::size_t{65535}, std::size_t{65536}, std::size_t{65537}, std::size_t{200000}}) {
    std::string long_line(length, 'a');
    long_line[length / 2] = 'm';
    ScriptedChannel channel;
    channel.script_chunks(long_line + "\nnext\n" + long_line, 4096);
    EXPECT_EQ(all_lines(channel), (std::vector<std::string>{long_line, "next", long_line}))
        << "length " << length;
  }
}

TEST(LineReaderTest, HeadFillsTheBufferLessOneByteAndTheRestFollows) {
  ScriptedChannel channel;
  channel.script_chunks(std::string(10, 'a') + "\n" + std::string(9, 'b') + "\nc\n", 2);
  ScriptedInput in(channel);
  LineReader& reader = in.reader;
  std::vector<unsigned char> buffer(10);

  std::optional<Line> line = reader.read_line(buffer);
  ASSERT_TRUE(line);
  EXPECT_EQ(string_of(line->head), std::string(9, 'a'));
  EXPECT_TRUE(line->has_rest);
  EXPECT_EQ(string_of(reader.read_rest()), "a");
  EXPECT_TRUE(reader.read_rest().empty());

  line = reader.read_line(buffer);  // exactly fills the head
  ASSERT_TRUE(line);
  EXPECT_EQ(string_of(line->head), std::string(9, 'b'));
  line = reader.read_line(buffer);
  ASSERT_TRUE(line);
  EXPECT_EQ(string_of(line->head), "c");  // the line feed after the b's ended that line
}

TEST(LineReaderTest, UnreadRestIsSkipped) {
  ScriptedChannel channel;
  channel.script_chunks(std::string(100, 'a') + "\nnext\n", 7);
  ScriptedInput in(channel);
  LineReader& reader = in.reader;
  std::vector<unsigned char> buffer(10);
  ASSERT_TRUE(reader.read_line(buffer));
  const std::optional<Line> line = reader.read_line(buffer);
  ASSERT_TRUE(line);
  EXPECT_EQ(string_of(line->head), "next");
}

TEST(LineReaderTest, FailureEndsPartialLineAndReadingGoesOnAfterwards) {
  ScriptedChannel channel;
  channel.script({{"one\ntw"}, {"", EIO}, {"o\nthree"}, {"", EBADF}, {"four"}});
  ScriptedInput in(channel);
  LineReader& reader = in.reader;
  std::vector<unsigned char> buffer(kLineBufferSize);

  EXPECT_EQ(take_line(reader, buffer), "one");
  EXPECT_FALSE(reader.failed());
  EXPECT_EQ(take_line(reader, buffer), "tw");
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(reader.error(), EIO);
  EXPECT_EQ(take_line(reader, buffer), "o");  // each request reads afresh
  EXPECT_EQ(take_line(reader, buffer), "three");
  EXPECT_EQ(reader.error(), EBADF);  // the latest failure
  EXPECT_EQ(take_line(reader, buffer), "four");
  EXPECT_EQ(take_line(reader, buffer), "<none>");
  EXPECT_TRUE(reader.failed());  // sticky
}

TEST(LineReaderTest, FailureOrEndInsideLongLineEndsIt) {
  ScriptedChannel channel;
  channel.script({{std::string(20, 'a')}, {"", EIO}, {"b\n"}});
  EXPECT_EQ(all_lines(channel, 8), (std::vector<std::string>{std::string(20, 'a'), "b"}));
}

TEST(LineReaderTest, EndOfInputThenMoreInputReadsOn) {
  // A terminal may deliver more after an end of input.
  ScriptedChannel channel;
  channel.script({{"a"}, {""}, {"b\n"}});
  ScriptedInput in(channel);
  LineReader& reader = in.reader;
  std::vector<unsigned char> buffer(kLineBufferSize);
  EXPECT_EQ(take_line(reader, buffer), "a");
  EXPECT_EQ(take_line(reader, buffer), "b");
  EXPECT_EQ(take_line(reader, buffer), "<none>");
  EXPECT_FALSE(reader.failed());
}

TEST(LineReaderTest, ReadSizeFollowsTheKindOfInput) {
  const struct {
    StreamKind kind;
    std::size_t request;
  } cases[] = {
      {StreamKind::Pipe, kLargeReadSize},
      {StreamKind::DiskFile, kLargeReadSize},
      {StreamKind::Device, kStreamBufferSize},  // where the read size shows through 0x1A
  };
  for (const auto& c : cases) {
    ScriptedChannel channel(c.kind);
    channel.script({{std::string(3 * c.request, 'x')}});
    EXPECT_EQ(all_lines(channel).size(), 1U);
    // Three full blocks, the end that ends the line, the end that answers none.
    EXPECT_EQ(channel.read_requests(), std::vector<std::size_t>(5, c.request))
        << "kind " << static_cast<int>(c.kind);
  }
}

// One buffer serves inputs in turn: a terminal first must not shrink the
// reads of a file after it.
TEST(ByteReaderTest, EachInputReadsItsOwnSizeWithinOneBuffer) {
  StreamBuffer buffer;
  for (const auto& [kind, request] : {std::pair{StreamKind::Device, kStreamBufferSize},
                                      std::pair{StreamKind::DiskFile, kLargeReadSize},
                                      std::pair{StreamKind::Device, kStreamBufferSize},
                                      std::pair{StreamKind::Pipe, kLargeReadSize}}) {
    ScriptedChannel channel(kind);
    channel.script({{std::string(request + 1, 'x')}});
    TextInput in(channel, StreamMode::Binary);
    ByteReader reader(in, buffer);
    std::size_t read = 0;
    for (auto bytes = reader.read(); !bytes.empty(); bytes = reader.read()) read += bytes.size();
    EXPECT_EQ(read, request + 1);
    EXPECT_EQ(channel.read_requests(), std::vector<std::size_t>(3, request))
        << "kind " << static_cast<int>(kind);
  }
}

}  // namespace
}  // namespace fieldsift
