#include "textio/text_mode.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "bytes/bytes_of.h"
#include "support/line_model.h"
#include "support/random_bytes.h"
#include "support/scripted_channel.h"
#include "support/scripted_run.h"
#include "support/scripted_streams.h"
#include "textio/line_reader.h"

namespace fieldsift {
namespace {

using testing::bytes_of;
using testing::ReadStep;
using testing::ScriptedChannel;
using testing::string_of;

// What successive refills deliver: the bytes, "<end>" or "<error N>".
std::vector<std::string> deliveries(StreamKind kind, std::vector<ReadStep> reads, std::size_t calls,
                                    std::size_t* step_backs = nullptr) {
  ScriptedChannel channel(kind);
  channel.script(std::move(reads));
  TextInput in{channel};
  std::vector<std::string> out;
  std::array<unsigned char, 64> buffer{};
  for (std::size_t i = 0; i < calls; ++i) {
    const IoResult r = text_read(in, buffer);
    // Each CR LF pair within a delivery is one line end.
    const std::string text =
        model::without_cr_before_lf(string_of(std::span(buffer).first(r.count)));
    if (r.error != 0) {
      out.push_back("<error " + std::to_string(r.error) + ">");
    } else if (text.empty()) {
      out.push_back("<end>");
    } else {
      out.push_back(text);
    }
  }
  if (step_backs != nullptr) *step_backs = channel.step_backs();
  return out;
}

struct ReadCase {
  const char* what;
  std::vector<StreamKind> kinds;
  std::vector<ReadStep> reads;
  std::vector<std::string> delivered;
  std::size_t step_backs = 0;
};

const std::vector<StreamKind> kPipeAndDevice = {StreamKind::Pipe, StreamKind::Device};
const std::vector<StreamKind> kPipeAndFile = {StreamKind::Pipe, StreamKind::DiskFile};
const std::vector<StreamKind> kEvery = {StreamKind::Pipe, StreamKind::DiskFile, StreamKind::Device};

TEST(TextReadTest, SettlesLineEndsAndMarksPerKind) {
  // clang-format off: one case a line or two, as a table reads
  const std::vector<ReadCase> cases = {
      {"pairs within a read", kEvery, {{"a\r\nb\rc\r\r\n"}}, {"a\nb\rc\r\n", "<end>"}},
      // A CR ending a read: one more byte settles it.
      {"final CR then LF joins", kPipeAndDevice, {{"a\r"}, {"\nb"}}, {"a\n", "b", "<end>"}},
      {"final CR then LF on a file: the LF is read again",
       {StreamKind::DiskFile},
       {{"a\r"}, {"\nb"}},
       {"a", "\nb", "<end>"},
       1},
      {"a lone final CR then LF on a file joins",
       {StreamKind::DiskFile},
       {{"\r"}, {"\nb"}},
       {"\n", "b", "<end>"}},
      {"final CR then another byte, held",
       kPipeAndDevice,
       {{"a\r"}, {"bc"}},
       {"a\r", "bc", "<end>"}},
      {"final CR then another byte, file steps back",
       {StreamKind::DiskFile},
       {{"a\r"}, {"bc"}},
       {"a\r", "bc", "<end>"},
       1},
      {"lone final CR then another byte, file steps back",
       {StreamKind::DiskFile},
       {{"\r"}, {"x"}},
       {"\r", "x", "<end>"},
       1},
      {"final CR then end of input", kEvery, {{"a\r"}}, {"a\r", "<end>"}},
      {"final CR then a failed read",
       kEvery,
       {{"a\r"}, {"", EIO}, {"b"}},
       {"a\r", "<error 5>", "b", "<end>"}},
      {"held byte is delivered when the next read has nothing",
       kPipeAndDevice,
       {{"a\r"}, {"b"}},
       {"a\r", "b", "<end>"}},
      {"held byte waits out a failed read",
       kPipeAndDevice,
       {{"a\r"}, {"b"}, {"", EIO}},
       {"a\r", "<error 5>", "b", "<end>"}},
      {"held CR is settled like any other",
       kPipeAndDevice,
       {{"a\r"}, {"\r\nb"}},
       {"a\r", "\nb", "<end>"}},
      {"held CR that ends its read is settled too",
       {StreamKind::Pipe},
       {{"a\r"}, {"\r"}, {""}, {"\n"}},
       {"a\r", "\n", "<end>"}},
      {"a CR its settling read found nothing for stays, though a LF comes next",
       kPipeAndDevice,
       {{"a\r"}, {""}, {"\nb"}},
       {"a\r", "\nb", "<end>"}},
      {"CR CR LF cut before the LF: the first CR stays",
       kPipeAndDevice,
       {{"a\r\r"}, {"\nb"}},
       {"a\r\n", "b", "<end>"}},
      {"CR CR LF cut before the LF, on a file",
       {StreamKind::DiskFile},
       {{"a\r\r"}, {"\nb"}},
       {"a\r", "\nb", "<end>"},
       1},
      // 0x1A ends the text of a pipe or file for good.
      {"mark in the middle",
       kPipeAndFile,
       {{"ab\x1a"
         "cd"},
        {"ef"}},
       {"ab", "<end>", "<end>"}},
      {"mark at the start",
       kPipeAndFile,
       {{"\x1a"
         "ab"},
        {"cd"}},
       {"<end>", "<end>"}},
      {"mark at the end", kPipeAndFile, {{"ab\x1a"}, {"cd"}}, {"ab", "<end>"}},
      {"CR before the mark stays, needs no settling",
       kPipeAndFile,
       {{"a\r\x1a"}, {"\n"}},
       {"a\r", "<end>"}},
      {"mark that settles a CR ends a pipe or file at once",
       kPipeAndFile,
       {{"a\r"},
        {"\x1a"
         "b"},
        {"c"}},
       {"a\r", "<end>", "<end>"}},
      // On a device 0x1A drops only the rest of its read.
      {"device: mark in the middle",
       {StreamKind::Device},
       {{"ab\x1a"
         "cd\n"},
        {"ef"}},
       {"ab", "ef", "<end>"}},
      {"device: mark at the start",
       {StreamKind::Device},
       {{"\x1a"
         "ab"},
        {"c"}},
       {"<end>", "c", "<end>"}},
      {"device: mark at the end",
       {StreamKind::Device},
       {{"ab\x1a"}, {"cd"}},
       {"ab", "cd", "<end>"}},
      {"device: CR just before a mark stands alone",
       {StreamKind::Device},
       {{"a\r\x1a"
         "b"},
        {"\nc"}},
       {"a\r", "\nc", "<end>"}},
      // A mark that settles a CR drops the rest of what the terminal had with
      // it, as a mark that opens a read does.
      {"device: mark that settles a CR",
       {StreamKind::Device},
       {{"a\r"},
        {"\x1a"
         "b\n"},
        {"c"}},
       {"a\r", "<end>", "c", "<end>"}},
      // A mark typed alone after a CR: its typed line is the mark, and the
      // line typed after it is kept, as it is after a mark with no CR before.
      {"device: mark alone that settles a CR",
       {StreamKind::Device},
       {{"a\r"}, {"\x1a"}, {"c\n", 0, true}},
       {"a\r", "<end>", "c\n", "<end>"}},
      {"device: mark alone, no CR before",
       {StreamKind::Device},
       {{"a"}, {"\x1a"}, {"c\n", 0, true}},
       {"a", "<end>", "c\n", "<end>"}},
  };
  // clang-format on
  for (const ReadCase& c : cases) {
    for (const StreamKind kind : c.kinds) {
      std::size_t step_backs = 0;
      EXPECT_EQ(deliveries(kind, c.reads, c.delivered.size(), &step_backs), c.delivered)
          << c.what << ", kind " << static_cast<int>(kind);
      EXPECT_EQ(step_backs, c.step_backs) << c.what;
    }
  }
}

TEST(TextReadTest, EndOfTextMarkStopsAskingTheSystem) {
  // The mark within a read, and as the byte that settles a CR.
  for (const std::vector<ReadStep>& reads :
       {std::vector<ReadStep>{{"a\x1a"}, {"b"}}, std::vector<ReadStep>{{"a\r"}, {"\x1a"}, {"b"}}}) {
    ScriptedChannel channel(StreamKind::Pipe);
    channel.script(reads);
    TextInput in{channel};
    std::array<unsigned char, 16> buffer{};
    (void)text_read(in, buffer);
    const std::size_t asked = channel.reads();
    EXPECT_EQ(text_read(in, buffer).count, 0U);
    EXPECT_EQ(channel.reads(), asked);
  }
}

std::string random_text(std::mt19937& rng, std::size_t size) {
  std::string text = testing::random_bytes(rng, size, "\r\r\r\n\n\n\x1a  ::aAbS");
  std::uniform_int_distribution<int> rare(0, 40);
  for (char& c : text) {
    if (c == '\x1a' && rare(rng) != 0) c = 'b';  // keep the mark rare
  }
  return text;
}

void script_random_cuts(ScriptedChannel& channel, std::mt19937& rng, const std::string& input) {
  std::uniform_int_distribution<std::size_t> cut(1, 12);
  for (std::size_t pos = 0; pos < input.size();) {
    const std::size_t n = std::min(cut(rng), input.size() - pos);
    channel.script_chunks(input.substr(pos, n), n);
    pos += n;
  }
}

TEST(TextReadPropertyTest, LinesDoNotDependOnWhereReadsAreCut) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<std::size_t> size(0, 300);
  for (int round = 0; round < 3000; ++round) {
    const std::string input = random_text(rng, size(rng));
    const std::vector<std::string> expected = model::lines_of(model::delivered_text(input));
    for (const StreamKind kind : {StreamKind::Pipe, StreamKind::DiskFile}) {
      ScriptedChannel whole(kind);
      whole.script({{input}});
      ASSERT_EQ(testing::all_lines(whole), expected) << "one read, kind " << static_cast<int>(kind);
      ScriptedChannel cut(kind);
      script_random_cuts(cut, rng, input);
      ASSERT_EQ(testing::all_lines(cut), expected)
          << "random reads, kind " << static_cast<int>(kind);
      ScriptedChannel pieces(kind);
      script_random_cuts(pieces, rng, input);
      ASSERT_EQ(testing::all_lines(pieces, static_cast<std::size_t>(2 + round % 5)), expected)
          << "random reads, lines in pieces, kind " << static_cast<int>(kind);
    }
  }
}

std::string run_filter(const std::string& input, std::mt19937& rng) {
  ScriptedChannel in(StreamKind::Pipe);
  script_random_cuts(in, rng, input);
  const char* const args[] = {"fieldsift", "aS:"};
  const testing::RunOutcome o = testing::run_scripted(args, in);
  EXPECT_EQ(o.status, 0);
  return o.out;
}

TEST(TextReadPropertyTest, CrLfInputSelectsWhatLfInputDoes) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> size(0, 400);
  for (int round = 0; round < 1000; ++round) {
    const std::string lf = random_text(rng, size(rng));
    ASSERT_EQ(run_filter(model::crlf_input(lf), rng), run_filter(lf, rng)) << "input: " << lf;
  }
}

struct WriteCase {
  const char* what;
  std::string source;
  std::vector<std::size_t> pieces;
};

TEST(TextWriteTest, LineFeedsBecomeCrLfInOneWriteWhereTheyFit) {
  constexpr std::size_t kHalf = kWriteStageSize / 2;
  const std::vector<WriteCase> cases = {
      {"short line", "ab\n", {4}},
      {"a run of line feeds", std::string(3000, '\n'), {6000}},
      {"plain bytes", std::string(2500, 'a'), {2500}},
      {"CR unchanged", "a\r\n", {4}},
      {"half the stage of line feeds, at most", std::string(kHalf, '\n'), {kWriteStageSize}},
      {"more goes out half a stage of source at a time",
       std::string(kHalf, '\n') + "ab\n",
       {kWriteStageSize, 4}},
  };
  for (const WriteCase& c : cases) {
    ScriptedChannel channel(StreamKind::Pipe);
    testing::ScriptedOutput out(channel);
    const IoResult r = text_write(out.text, bytes_of(c.source));
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(r.count, c.source.size());
    EXPECT_EQ(channel.written(), model::with_crlf_line_ends(c.source)) << c.what;
    std::vector<std::size_t> sizes;
    for (const std::string& piece : channel.pieces()) sizes.push_back(piece.size());
    EXPECT_EQ(sizes, c.pieces) << c.what;
  }
}

TEST(TextWriteTest, ShortWriteCountsTheSourceBytesThatWentOutWhole) {
  const struct {
    std::string source;
    std::size_t accepted;  // bytes the system takes before it fails
    std::size_t count;
  } cases[] = {
      {std::string(4000, 'a'), 1500, 1500},
      {"ab\ncd", 3, 2},  // the CR of a CR LF is not the whole LF
      {"ab\ncd", 4, 3},
      {"ab\ncd", 0, 0},
  };
  for (const auto& c : cases) {
    ScriptedChannel channel(StreamKind::Pipe);
    channel.fail_writes_after(c.accepted, ENOSPC);
    testing::ScriptedOutput out(channel);
    const IoResult r = text_write(out.text, bytes_of(c.source));
    EXPECT_EQ(r.error, ENOSPC);
    EXPECT_EQ(r.count, c.count) << c.source.size() << " bytes, " << c.accepted << " accepted";
  }
}

}  // namespace
}  // namespace fieldsift
