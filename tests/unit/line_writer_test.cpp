#include "textio/line_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/scripted_channel.h"

namespace fieldsift {
namespace {

using testing::bytes_of;
using testing::ScriptedChannel;

std::vector<std::size_t> piece_sizes(const ScriptedChannel& channel) {
  std::vector<std::size_t> sizes;
  for (const std::string& piece : channel.pieces()) sizes.push_back(piece.size());
  return sizes;
}

struct BlockCase {
  const char* what;
  std::vector<std::size_t> line_lengths;  // each line is that many bytes and a line feed
  std::vector<std::size_t> pieces;        // what the system is handed, flush included
};

TEST(LineWriterTest, PipesAndFilesGetWholeBlocks) {
  const std::vector<BlockCase> cases = {
      {"small lines wait for the flush", {10, 20}, {32}},
      {"a full buffer goes out at once", {4095, 99}, {4096, 100}},
      {"a long line fills the buffer, then whole blocks go direct",
       {100, 10000},
       {4096, 4096, 1910}},
      {"a long line into an empty buffer goes direct", {8192}, {8192, 1}},
      {"just under a block", {4094}, {4095}},
  };
  for (const StreamKind kind : {StreamKind::Pipe, StreamKind::DiskFile}) {
    for (const BlockCase& c : cases) {
      ScriptedChannel channel(kind);
      TextStream text{channel};
      LineWriter writer(text);
      std::string expected;
      for (const std::size_t length : c.line_lengths) {
        const std::string line(length, 'x');
        EXPECT_TRUE(writer.write_line(bytes_of(line)));
        expected += line + "\n";
      }
      EXPECT_TRUE(writer.flush());
      EXPECT_EQ(piece_sizes(channel), c.pieces) << c.what;
      EXPECT_EQ(channel.written(), expected) << c.what;
    }
  }
}

TEST(LineWriterTest, DeviceGetsEachLineAtItsEnd) {
  ScriptedChannel channel(StreamKind::Device);
  TextStream text{channel};
  LineWriter writer(text);
  EXPECT_TRUE(writer.write_line(bytes_of("one")));
  EXPECT_EQ(channel.written(), "one\n");
  EXPECT_TRUE(writer.write_line(bytes_of(std::string(5000, 'y'))));
  EXPECT_EQ(piece_sizes(channel), (std::vector<std::size_t>{4, 4096, 905}));
  EXPECT_TRUE(writer.flush());
  EXPECT_EQ(channel.pieces().size(), 3U);
}

TEST(LineWriterTest, TextEndsAtTheFirstNul) {
  ScriptedChannel channel(StreamKind::Device);
  TextStream text{channel};
  LineWriter writer(text);
  EXPECT_TRUE(writer.write_line(bytes_of(std::string("ab\0cd", 5))));
  EXPECT_EQ(channel.written(), "ab\n");
}

TEST(LineWriterTest, LongLineInPiecesIsWrittenWhole) {
  ScriptedChannel channel(StreamKind::Pipe);
  TextStream text{channel};
  LineWriter writer(text);
  const std::string part(30000, 'z');
  EXPECT_TRUE(writer.write_part(bytes_of(part)));
  EXPECT_TRUE(writer.write_part(bytes_of(part)));
  EXPECT_TRUE(writer.end_line());
  EXPECT_TRUE(writer.flush());
  EXPECT_EQ(channel.written(), part + part + "\n");
}

TEST(LineWriterTest, FailedWritesLoseTheirBytesAndKeepTheFirstError) {
  ScriptedChannel channel(StreamKind::Pipe);
  channel.fail_writes_after(4096, ENOSPC);
  TextStream text{channel};
  LineWriter writer(text);
  EXPECT_TRUE(writer.write_line(bytes_of(std::string(4095, 'a'))));
  EXPECT_FALSE(writer.write_line(bytes_of(std::string(4095, 'b'))));
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ(writer.error(), ENOSPC);
  EXPECT_TRUE(writer.write_line(bytes_of("c")));  // buffered; the failure is not sticky
  EXPECT_FALSE(writer.flush());
  EXPECT_EQ(channel.written(), std::string(4095, 'a') + "\n");
}

TEST(LineWriterTest, BrokenPipeIsAFailureButNoError) {
  ScriptedChannel channel(StreamKind::Pipe);
  channel.fail_writes_after(0, EPIPE);
  TextStream text{channel};
  LineWriter writer(text);
  EXPECT_TRUE(writer.write_line(bytes_of("x")));  // still buffered
  EXPECT_FALSE(writer.flush());
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ(writer.error(), 0);
}

}  // namespace
}  // namespace fieldsift
