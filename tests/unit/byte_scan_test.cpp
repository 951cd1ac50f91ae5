#include "textio/byte_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/scripted_channel.h"

namespace fieldsift {
namespace {

using testing::string_of;

std::string random_bytes(std::mt19937& rng, std::size_t size, std::string_view alphabet) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string s;
  for (std::size_t i = 0; i < size; ++i) s += alphabet[pick(rng)];
  return s;
}

// Sizes around the 16- and 64-byte steps and their tails.
std::size_t random_size(std::mt19937& rng) {
  return std::uniform_int_distribution<std::size_t>(0, 300)(rng);
}

// The bytes before the first stop byte, each CR that a LF follows left out.
std::string without_cr_before_lf(const std::string& src) {
  const std::string text = src.substr(0, src.find('\x1a'));
  std::string kept;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) kept += text[i];
  }
  return kept;
}

TEST(ByteScanTest, DropCrBeforeLfMatchesTheByteByByteRule) {
  std::mt19937 rng(1);
  for (int round = 0; round < 20000; ++round) {
    // Dense line ends take the piecewise copies, sparse ones the steps that close one gap.
    std::string src = random_bytes(rng, random_size(rng),
                                   round % 2 == 0 ? "\r\r\n\nab" : "abcdefghijklmnopqrstuvw\r\n");
    if (round % 7 == 0 && !src.empty()) src[rng() % src.size()] = '\x1a';  // the stop byte
    const std::string expected = without_cr_before_lf(src);
    const std::size_t stop = std::min(src.find('\x1a'), src.size());
    std::vector<unsigned char> dst(src.size() + 1, 0xEE);
    const auto* from = reinterpret_cast<const unsigned char*>(src.data());
    const Dropped d = drop_cr_before_lf(from, src.size(), dst.data(), 0x1A);
    ASSERT_EQ(string_of(std::span(dst).first(d.kept)), expected) << "source: " << src;
    ASSERT_EQ(d.read, stop) << "source: " << src;
    ASSERT_EQ(dst[src.size()], 0xEE) << "wrote past the source's size";
    // In place: 32 pairs and more, so the block steps take over, and fewer.
    std::string thrice = src + src + src;
    auto* bytes = reinterpret_cast<unsigned char*>(thrice.data());
    const Dropped in_place = drop_cr_before_lf_in_place(bytes, thrice.size(), 0x1A);
    ASSERT_EQ(thrice.substr(0, in_place.kept), without_cr_before_lf(src + src + src))
        << "in place, source: " << src;
  }
}

TEST(ByteScanTest, AddCrBeforeLfMatchesTheByteByByteRule) {
  std::mt19937 rng(3);
  for (int round = 0; round < 20000; ++round) {
    const std::string src = random_bytes(rng, random_size(rng),
                                         round % 2 == 0 ? "\n\nab\r" : "abcdefghijklmnopqrstuvw\n");
    std::string expected;
    for (const char c : src) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::vector<unsigned char> dst(2 * src.size() + 1, 0xEE);
    const auto* from = reinterpret_cast<const unsigned char*>(src.data());
    const std::size_t n = add_cr_before_lf(from, src.size(), dst.data());
    ASSERT_EQ(string_of(std::span(dst).first(n)), expected) << "source: " << src;
    ASSERT_EQ(dst[2 * src.size()], 0xEE) << "wrote past twice the source's size";
  }
}

TEST(ByteScanTest, FindEitherMatchesTheByteByByteRule) {
  std::mt19937 rng(4);
  for (int round = 0; round < 20000; ++round) {
    // Mostly bytes that are neither, so the wide steps run too.
    std::string text = random_bytes(rng, random_size(rng), "abcdefghijklmnopqrstuvwxyz \n");
    if (!text.empty() && round % 3 != 0) text[rng() % text.size()] = round % 2 == 0 ? '\r' : '\x1a';
    if (!text.empty() && round % 5 == 0) text[rng() % text.size()] = '\r';
    const auto hit =
        std::find_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\x1a'; });
    const auto expected = static_cast<std::size_t>(hit - text.begin());
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    ASSERT_EQ(static_cast<std::size_t>(find_either(begin, begin + text.size(), '\r', 0x1A) - begin),
              expected)
        << "text: " << text;
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

// Two hits in one block: the scans answer the one first in memory, which a
// machine that numbers its bytes the other way round would get wrong.
TEST(ByteScanTest, FirstHitInMemoryOrderWins) {
  for (std::size_t first = 1; first < 40; ++first) {
    for (std::size_t later = first + 2; later < first + 17 && later < 80; ++later) {
      std::string text(80, 'x');
      text[first] = '\r';
      text[later] = '\x1a';
      const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
      const unsigned char* const end = begin + text.size();
      ASSERT_EQ(find_either(begin, end, '\r', 0x1A) - begin, static_cast<std::ptrdiff_t>(first));
      text.assign(80, 'x');
      text[first - 1] = '\n';
      text[first] = 'S';
      text[later - 1] = '\n';
      text[later] = 's';
      ASSERT_EQ(find_line_start(begin, end, 's') - begin, static_cast<std::ptrdiff_t>(first))
          << first << ", " << later;
    }
  }
}

}  // namespace
}  // namespace fieldsift
