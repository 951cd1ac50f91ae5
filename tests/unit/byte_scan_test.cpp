#include "textio/byte_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "filter/header_selector.h"
#include "run.h"
#include "support/scripted_channel.h"
#include "textio/line_reader.h"

namespace fieldsift {
namespace {

using testing::ScriptedChannel;
using testing::bytes_of;
using testing::string_of;

std::string random_bytes(std::mt19937& rng, std::size_t size, std::string_view alphabet) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string s;
  for (std::size_t i = 0; i < size; ++i) s += alphabet[pick(rng)];
  return s;
}

// Sizes around the sixteen-byte steps and their tails.
std::size_t random_size(std::mt19937& rng) { return std::uniform_int_distribution<std::size_t>(0, 120)(rng); }

TEST(ByteScanTest, DropCrBeforeLfMatchesTheByteByByteRule) {
  std::mt19937 rng(1);
  for (int round = 0; round < 20000; ++round) {
    const std::string src = random_bytes(rng, random_size(rng), "\r\r\n\nab");
    std::string expected;
    for (std::size_t i = 0; i < src.size(); ++i) {
      if (!(src[i] == '\r' && i + 1 < src.size() && src[i + 1] == '\n')) expected += src[i];
    }
    std::vector<unsigned char> dst(src.size() + 1, 0xEE);
    const auto* from = reinterpret_cast<const unsigned char*>(src.data());
    const std::size_t n = drop_cr_before_lf(from, src.size(), dst.data());
    ASSERT_EQ(string_of(std::span(dst).first(n)), expected) << "source: " << src;
    ASSERT_EQ(dst[src.size()], 0xEE) << "wrote past the source's size";
  }
}

TEST(ByteScanTest, FindLineStartMatchesTheByteByByteRule) {
  std::mt19937 rng(2);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random_bytes(rng, random_size(rng), "\n\nsS`@x ");
    const unsigned char key = round % 2 == 0 ? 's' : '`';
    std::size_t expected = text.size();
    for (std::size_t i = 1; i < text.size(); ++i) {
      if (text[i - 1] == '\n' && (static_cast<unsigned char>(text[i]) | 0x20) == key) {
        expected = i;
        break;
      }
    }
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    ASSERT_EQ(static_cast<std::size_t>(find_line_start(begin, begin + text.size(), key) - begin),
              expected)
        << "text: " << text;
  }
}

// The plain loop, every line offered to the selector: what run() must
// write, however it passes over lines, and how many reads it may make.
struct PlainRun {
  std::string out;
  std::size_t reads;
};

PlainRun plain_run(std::string_view name, const std::vector<testing::ReadStep>& input) {
  ScriptedChannel in(StreamKind::Pipe);
  in.script(input);
  TextStream text{in};
  LineReader reader(text);
  HeaderSelector selector(name);
  std::vector<unsigned char> buffer(kLineBufferSize);
  std::string out;
  while (const std::optional<Line> line = reader.read_line(buffer)) {
    if (!selector.feed(line->head)) continue;
    const std::string s = string_of(line->head);
    out += s.substr(0, s.find('\0')) + "\r\n";
  }
  return {out, in.reads()};
}

TEST(SkipTest, PassingOverLinesChangesNeitherOutputNorReads) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<std::size_t> cut(1, 40);
  std::uniform_int_distribution<int> roll(0, 9);
  for (int round = 0; round < 3000; ++round) {
    const std::string input = random_bytes(rng, random_size(rng) * 3, "\n\n\r  .sS`@:x\0");
    std::vector<testing::ReadStep> steps;
    for (std::size_t pos = 0; pos < input.size();) {
      const std::size_t n = std::min(cut(rng), input.size() - pos);
      steps.push_back({input.substr(pos, n)});
      if (roll(rng) == 0) steps.push_back({"", roll(rng) < 5 ? 0 : 5});  // an end or a failure
      pos += n;
    }
    const char* name = round % 3 == 0 ? "s:" : round % 3 == 1 ? "`" : "S";
    const PlainRun plain = plain_run(name, steps);

    ScriptedChannel in(StreamKind::Pipe), out(StreamKind::Pipe), err(StreamKind::Pipe);
    in.script(steps);
    TextStream in_text{in}, out_text{out}, err_text{err};
    LineReader reader(in_text);
    LineWriter writer(out_text);
    const RunStreams streams{reader, writer, err_text};
    const char* const args[] = {"fieldsift", name};
    (void)finish_output(streams, run(args, streams));
    ASSERT_EQ(out.written(), plain.out) << "input: " << input;
    ASSERT_EQ(in.reads(), plain.reads) << "input: " << input;
  }
}

}  // namespace
}  // namespace fieldsift
