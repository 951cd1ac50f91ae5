#include "textio/line_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <span>
#include <string>
#include <vector>

#include "bytes/bytes_of.h"
#include "support/scripted_channel.h"
#include "support/scripted_streams.h"

namespace fieldsift {
namespace {

using testing::bytes_of;
using testing::ScriptedChannel;
using testing::ScriptedOutput;

// How many bytes of the program's own text have reached the system: the
// channel sees each line feed as CR LF.
std::size_t visible(const ScriptedChannel& channel) {
  const std::string& w = channel.written();
  return w.size() - static_cast<std::size_t>(std::count(w.begin(), w.end(), '\r'));
}

struct BlockCase {
  const char* what;
  std::vector<std::size_t> line_lengths;  // each line is that many bytes and a line feed
  std::vector<std::size_t> seen;          // visible after each line, then after the flush
  std::size_t writes;                     // each block, and each direct run, is one write
};

// The cases for blocks of b bytes.
std::vector<BlockCase> block_cases(std::size_t b) {
  return {
      {"small lines wait for the flush", {10, 20}, {0, 0, 32}, 1},
      {"a full buffer goes out at once", {b - 1, 99}, {b, b, b + 100}, 2},
      {"a long line fills the buffer, then whole blocks go direct",
       {100, 2 * b + 1808},
       {0, 2 * b, 2 * b + 1910},
       3},
      {"a long line into an empty buffer goes direct", {b}, {b, b + 1}, 2},
      {"just under a block", {b - 2}, {0, b - 1}, 1},
  };
}

TEST(LineWriterTest, PipesAndFilesGetWholeBlocks) {
  // A pipe's blocks stay small, so a live pipeline sees output as each fills.
  const struct {
    StreamKind kind;
    std::size_t block;
  } kinds[] = {{StreamKind::Pipe, kStreamBufferSize}, {StreamKind::DiskFile, kFileBlockSize}};
  for (const auto& k : kinds) {
    for (const BlockCase& c : block_cases(k.block)) {
      ScriptedChannel channel(k.kind);
      ScriptedOutput output(channel);
      LineWriter& writer = output.writer;
      std::string expected;
      std::vector<std::size_t> seen;
      for (const std::size_t length : c.line_lengths) {
        const std::string line(length, 'x');
        EXPECT_TRUE(writer.write_line(bytes_of(line)));
        seen.push_back(visible(channel));
        expected += line + "\r\n";
      }
      EXPECT_TRUE(writer.flush());
      seen.push_back(visible(channel));
      EXPECT_EQ(seen, c.seen) << c.what << ", block " << k.block;
      EXPECT_EQ(channel.pieces().size(), c.writes) << c.what << ", block " << k.block;
      EXPECT_EQ(channel.written(), expected) << c.what;
    }
  }
}

// Bytes put together in the buffer's room join what is buffered, a block
// still going out whole; a buffer with less room left, or a device, has none.
TEST(LineWriterTest, RoomInTheBufferKeepsBlocksWhole) {
  ScriptedChannel channel(StreamKind::Pipe);
  ScriptedOutput output(channel, StreamMode::Binary);
  LineWriter& writer = output.writer;
  EXPECT_TRUE(writer.write_bytes(bytes_of("ab")));
  std::span<unsigned char> room = writer.room(100);
  ASSERT_EQ(room.size(), 100U);
  std::ranges::fill(room, 'r');
  EXPECT_TRUE(writer.put(3));
  EXPECT_TRUE(writer.write_bytes(bytes_of(std::string(kStreamBufferSize - 10, 'c'))));
  EXPECT_TRUE(writer.room(6).empty());  // 5 left
  room = writer.room(5);
  ASSERT_EQ(room.size(), 5U);
  std::ranges::fill(room, 'e');
  EXPECT_EQ(channel.written(), "");
  EXPECT_TRUE(writer.put(5));  // the block is full
  EXPECT_EQ(channel.written(), "abrrr" + std::string(kStreamBufferSize - 10, 'c') + "eeeee");

  ScriptedChannel device(StreamKind::Device);
  ScriptedOutput console(device);
  EXPECT_TRUE(console.writer.room(1).empty());
}

TEST(LineWriterTest, DeviceGetsEachLineAtItsEnd) {
  ScriptedChannel channel(StreamKind::Device);
  ScriptedOutput output(channel);
  LineWriter& writer = output.writer;
  EXPECT_TRUE(writer.write_line(bytes_of("one")));
  EXPECT_EQ(channel.written(), "one\r\n");
  EXPECT_TRUE(writer.write_line(bytes_of(std::string(5000, 'y'))));
  EXPECT_EQ(visible(channel), 4U + 5001U);
}

TEST(LineWriterTest, BytesAsTheyAreReachADeviceAsEachLineEnds) {
  ScriptedChannel channel(StreamKind::Device);
  ScriptedOutput output(channel, StreamMode::Binary);
  EXPECT_TRUE(output.writer.write_bytes(bytes_of(std::string("a\r\n\0b\nc", 7))));
  EXPECT_EQ(channel.written(), std::string("a\r\n\0b\n", 6));
  EXPECT_TRUE(output.writer.write_bytes(bytes_of("d\n\ne")));
  EXPECT_EQ(channel.written(), std::string("a\r\n\0b\ncd\n\n", 10));
}

TEST(LineWriterTest, TextEndsAtTheFirstNul) {
  ScriptedChannel channel(StreamKind::Device);
  ScriptedOutput output(channel);
  LineWriter& writer = output.writer;
  EXPECT_TRUE(writer.write_line(bytes_of(std::string("ab\0cd", 5))));
  // In pieces, a NUL drops the rest of its line, the pieces after it too.
  for (const char* piece : {"ef", "g", "", "h"}) EXPECT_TRUE(writer.write_part(bytes_of(piece)));
  EXPECT_TRUE(writer.write_part(bytes_of(std::string("\0i", 2))));
  EXPECT_TRUE(writer.write_part(bytes_of("jk")));
  EXPECT_TRUE(writer.end_line());
  EXPECT_TRUE(writer.write_part(bytes_of("next")));
  EXPECT_TRUE(writer.end_line());
  EXPECT_EQ(channel.written(), "ab\r\nefgh\r\nnext\r\n");
}

TEST(LineWriterTest, LongLineInPiecesIsWrittenWhole) {
  ScriptedChannel channel(StreamKind::Pipe);
  ScriptedOutput output(channel);
  LineWriter& writer = output.writer;
  const std::string part(30000, 'z');
  EXPECT_TRUE(writer.write_part(bytes_of(part)));
  EXPECT_TRUE(writer.write_part(bytes_of(part)));
  EXPECT_TRUE(writer.end_line());
  EXPECT_TRUE(writer.flush());
  EXPECT_EQ(channel.written(), part + part + "\r\n");
}

TEST(LineWriterTest, FailedWritesLoseTheirBytesAndKeepTheFirstError) {
  ScriptedChannel channel(StreamKind::Pipe);
  channel.fail_writes_after(4097, ENOSPC);  // one block, its LF as CR LF
  ScriptedOutput output(channel);
  LineWriter& writer = output.writer;
  EXPECT_TRUE(writer.write_line(bytes_of(std::string(4095, 'a'))));
  EXPECT_FALSE(writer.write_line(bytes_of(std::string(4095, 'b'))));
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ(writer.error(), ENOSPC);
  EXPECT_TRUE(writer.write_line(bytes_of("c")));  // buffered; the failure is not sticky
  EXPECT_FALSE(writer.flush());
  EXPECT_EQ(channel.written().substr(0, 4095), std::string(4095, 'a'));
}

TEST(LineWriterTest, BrokenPipeIsAFailureButNoError) {
  ScriptedChannel channel(StreamKind::Pipe);
  channel.fail_writes_after(0, EPIPE);
  ScriptedOutput output(channel);
  LineWriter& writer = output.writer;
  EXPECT_TRUE(writer.write_line(bytes_of("x")));  // still buffered
  EXPECT_FALSE(writer.flush());
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ(writer.error(), 0);
}

}  // namespace
}  // namespace fieldsift
