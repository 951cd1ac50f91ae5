#include "textio/scan/kernel_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "support/line_model.h"
#include "support/random_bytes.h"
#include "support/scripted_channel.h"

namespace fieldsift {
namespace {

using testing::random_bytes;
using testing::string_of;

}  // namespace

// A failing test names the set it ran over.
void PrintTo(const BuiltKernels& built, std::ostream* os) { *os << built.set->name; }

namespace {

// Each test runs over every kernel set built in, named in the test's name; a
// set this processor cannot run is skipped, saying so.
class ByteScanTest : public ::testing::TestWithParam<BuiltKernels> {
 protected:
  void SetUp() override {
    if (!GetParam().runs_here) GTEST_SKIP() << GetParam().set->name << " does not run here";
  }
  const KernelSet& kernels() const { return *GetParam().set; }
};

INSTANTIATE_TEST_SUITE_P(KernelSets, ByteScanTest, ::testing::ValuesIn(built_kernels()),
                         [](const ::testing::TestParamInfo<BuiltKernels>& built) {
                           return std::string(built.param.set->name);
                         });

// The program's start has chosen its set: scans do not stay on the portable
// one, which is what they would use before.
TEST(KernelChoiceTest, TheSetInUseIsTheFirstThatRunsHere) {
  EXPECT_EQ(&active_kernels(), &choose_kernels()) << active_kernels().name;
}

// Sizes around the 16- and 64-byte steps and their tails.
std::size_t random_size(std::mt19937& rng) {
  return std::uniform_int_distribution<std::size_t>(0, 300)(rng);
}

TEST_P(ByteScanTest, AddCrBeforeLfMatchesTheByteByByteRule) {
  std::mt19937 rng(3);
  for (int round = 0; round < 20000; ++round) {
    const std::string src = random_bytes(rng, random_size(rng),
                                         round % 2 == 0 ? "\n\nab\r" : "abcdefghijklmnopqrstuvw\n");
    const std::string expected = model::with_crlf_line_ends(src);
    std::vector<unsigned char> dst(2 * src.size() + 1, 0xEE);
    const auto* from = reinterpret_cast<const unsigned char*>(src.data());
    const std::size_t n = kernels().add_cr_before_lf(from, src.size(), dst.data());
    ASSERT_EQ(string_of(std::span(dst).first(n)), expected) << "source: " << src;
    ASSERT_EQ(dst[2 * src.size()], 0xEE) << "wrote past twice the source's size";
  }
}

TEST_P(ByteScanTest, FindLineStartMatchesTheByteByByteRule) {
  std::mt19937 rng(2);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random_bytes(rng, random_size(rng), "\n\nsS`@x ");
    // A letter's two cases, or one byte exactly.
    const ByteMatch key = round % 2 == 0 ? ByteMatch{'s', 0x20} : ByteMatch{'`', 0};
    std::size_t expected = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool starts = i > 0 && text[i - 1] == '\n' &&
                          (static_cast<unsigned char>(text[i]) | key.mask) == key.value;
      if (starts) {
        expected = i;
        break;
      }
    }
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    ASSERT_EQ(static_cast<std::size_t>(kernels().find_line_start(begin, begin + text.size(), key) -
                                       begin),
              expected)
        << "text: " << text;
  }
}

// A set looked up byte by byte, and one its four matches make, tested a
// block at a time.
// Line starts among a set, or the empty line that ends a header.
TEST_P(ByteScanTest, FindLineStartAmongMatchesTheByteByByteRule) {
  std::mt19937 rng(7);
  ByteSet table;
  table.members['s'] = table.members['D'] = table.members[0xE9] = true;
  ByteSet matched;
  matched.members['s'] = matched.members['S'] = matched.members['d'] = matched.members['D'] =
      matched.members[0xE9] = true;
  matched.matches = {{{'s', 0x20}, {'d', 0x20}, {0xE9, 0}, {0xE9, 0}}};
  matched.by_matches = true;
  // Letters as matches of one mask, one to four of them and the rest repeats:
  // each count is a scan of its own.
  std::vector<ByteSet> sets = {table, matched};
  constexpr std::string_view kLetters = "sdaw";
  for (std::size_t count = 1; count <= kLetters.size(); ++count) {
    ByteSet letters;
    for (std::size_t i = 0; i < letters.matches.size(); ++i) {
      const auto c = static_cast<unsigned char>(kLetters[i < count ? i : 0]);
      letters.matches[i] = {c, 0x20};
      letters.members[c] = letters.members[c & ~0x20U] = true;
    }
    letters.by_matches = letters.one_mask = true;
    letters.distinct = static_cast<unsigned char>(count);
    sets.push_back(letters);
  }
  for (int round = 0; round < 90000; ++round) {
    const ByteSet& first = sets[static_cast<std::size_t>(round / 2) % sets.size()];
    // Long lines, as a header's, so the wide steps run, and short ones.
    // A line that starts with CR stops the scan only if it is empty.
    const std::string text =
        random_bytes(rng, random_size(rng),
                     round % 2 == 0 ? "\n\nsSdD\xe9 \r" : "abcdefghijklmnopqrstuvwxyz\nsD\r");
    std::size_t expected = text.size();
    for (std::size_t i = 1; i < text.size(); ++i) {
      const bool empty = text[i] == '\n' || text.compare(i, 2, "\r\n") == 0;
      if (text[i - 1] == '\n' && (first.members[static_cast<unsigned char>(text[i])] || empty)) {
        expected = i;
        break;
      }
    }
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const found =
        kernels().find_line_start_among(begin, begin + text.size(), first);
    ASSERT_EQ(static_cast<std::size_t>(found - begin), expected) << "text: " << text;
  }
}

TEST_P(ByteScanTest, FindEmptyLineMatchesTheByteByByteRule) {
  std::mt19937 rng(5);
  for (int round = 0; round < 20000; ++round) {
    // Line ends often, empty lines rarely, so the wide steps run too.
    const std::string text =
        random_bytes(rng, random_size(rng), round % 2 == 0 ? "\n\r\rab" : "abcdefghijklmnop\n\r");
    std::size_t expected = text.size();
    for (std::size_t i = 1; i < text.size(); ++i) {
      if (text[i - 1] != '\n') continue;
      const bool cr_lf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
      if (text[i] == '\n' || cr_lf) {
        expected = i;
        break;
      }
    }
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    ASSERT_EQ(
        static_cast<std::size_t>(kernels().find_empty_line(begin, begin + text.size()) - begin),
        expected)
        << "text: " << text;
  }
}

// The row writers' sets: below and above a bound, and bytes of their own.
TEST_P(ByteScanTest, FindEscapeMatchesTheByteByByteRule) {
  const std::vector<EscapeSet> kSets = {{0, 0xFF, {'\\', '\t', '\r', '\n'}},
                                        {0x20, 0x7F, {'"', '\\', '"', '\\'}},
                                        {0, 0x7F, {',', '"', '\r', '\n'}}};
  std::mt19937 rng(11);
  for (int round = 0; round < 30000; ++round) {
    const EscapeSet& set = kSets[static_cast<std::size_t>(round) % kSets.size()];
    // Mostly plain text, so the wide steps run, with a stop now and then.
    const std::string text =
        random_bytes(rng, random_size(rng),
                     round % 2 == 0 ? "abcdefghijklmnopqrstuvwxyz0123456789 \x7f\x1f\x20"
                                    : "ab\t,\"\\\xc3\x80\n");
    std::size_t expected = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c < set.below || c > set.above || std::ranges::count(set.equal, c) > 0) {
        expected = i;
        break;
      }
    }
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    ASSERT_EQ(
        static_cast<std::size_t>(kernels().find_escape(begin, begin + text.size(), set) - begin),
        expected)
        << "text: " << text;
    // The padded scan reads past the end, where stops of every set must not count.
    std::string padded = text;
    for (std::size_t i = 0; i < kScanPadding; ++i) padded += "\t\"\\,\n\xc3\x01"[i % 7];
    begin = reinterpret_cast<const unsigned char*>(padded.data());
    ASSERT_EQ(static_cast<std::size_t>(
                  kernels().find_escape_padded(begin, begin + text.size(), set) - begin),
              expected)
        << "text: " << text;
  }
}

// Every length about the padded scan's one step and its blocks, with one
// stop at each place or none, and stops right after the end: the first stop
// inside, or the end.
TEST_P(ByteScanTest, PaddedEscapeScanAtEveryLengthAndPlace) {
  constexpr EscapeSet kTsv = {0, 0xFF, {'\\', '\t', '\r', '\n'}};
  for (std::size_t size = 0; size <= 2 * kScanPadding + 2; ++size) {
    for (std::size_t stop = 0; stop <= size; ++stop) {  // stop == size: none inside
      std::string text(size, 'a');
      if (stop < size) text[stop] = '\t';
      text += std::string(kScanPadding, '\\');
      const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
      ASSERT_EQ(kernels().find_escape_padded(begin, begin + size, kTsv) - begin,
                static_cast<std::ptrdiff_t>(stop))
          << "size " << size << ", stop " << stop;
    }
  }
}

// Every length about the LF search's step, with a LF at each place or none
// and another after it, and one right past the end that must not count.
TEST_P(ByteScanTest, FindLineFeedAtEveryLengthAndPlace) {
  for (std::size_t size = 0; size <= 2 * kScanPadding + 2; ++size) {
    for (std::size_t lf = 0; lf <= size; ++lf) {  // lf == size: none inside
      std::string text(size, 'a');
      if (lf < size) text[lf] = '\n';
      if (lf + 3 < size) text[lf + 3] = '\n';
      text += '\n';
      const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
      ASSERT_EQ(kernels().find_line_feed(begin, begin + size) - begin,
                static_cast<std::ptrdiff_t>(lf))
          << "size " << size << ", LF at " << lf;
    }
  }
}

// Two hits in one step of the scan, in the same block or in different ones:
// the scan answers the one first in memory, which a machine that numbers its
// bytes the other way round, or a step that tests its blocks out of order,
// would get wrong.
TEST_P(ByteScanTest, FirstHitInMemoryOrderWins) {
  constexpr ByteMatch kS{'s', 0x20};
  for (std::size_t first = 1; first < 140; ++first) {
    for (std::size_t later = first + 2; later < first + 140; later += 3) {
      std::string text(300, 'x');
      text[first - 1] = '\n';
      text[first] = 'S';
      text[later - 1] = '\n';
      text[later] = 's';
      const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
      ASSERT_EQ(kernels().find_line_start(begin, begin + text.size(), kS) - begin,
                static_cast<std::ptrdiff_t>(first))
          << first << ", " << later;
    }
  }
}

}  // namespace
}  // namespace fieldsift
