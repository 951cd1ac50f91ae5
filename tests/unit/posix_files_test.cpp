#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "textio/platform/byte_channel.h"
#include "textio/platform/platform.h"

namespace fieldsift {
namespace {

// The lowest descriptor number free now: the one the next open takes.
int lowest_free_descriptor() {
  const int fd = dup(0);
  (void)close(fd);
  return fd;
}

// What a file opened by name is taken for decides how it is read: the null
// device is no terminal, and no other character device is the null device.
TEST(NamedFileTest, KindOfWhatIsOpened) {
  const std::string fifo =
      std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") +
      "/fieldsift-fifo-" + std::to_string(getpid());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int writer = open(fifo.c_str(), O_RDWR);  // so that opening it to read does not wait
  const struct {
    const char* name;
    StreamKind kind;
  } cases[] = {
      {"/dev/null", StreamKind::DiskFile},
      {"/dev/zero", StreamKind::Device},
      {fifo.c_str(), StreamKind::Pipe},
      {"/proc/self/exe", StreamKind::DiskFile},
  };
  NamedFile named;
  for (const auto& c : cases) {
    ASSERT_EQ(named.open(c.name), 0) << c.name;
    EXPECT_EQ(named.kind(), c.kind) << c.name;
  }
  // A pipe with nothing in it would wait; with a byte in it, or a file, not.
  ASSERT_EQ(named.open(fifo.c_str()), 0);
  EXPECT_FALSE(named.ready());
  EXPECT_EQ(write(writer, "x", 1), 1);
  EXPECT_TRUE(named.ready());
  ASSERT_EQ(named.open("/proc/self/exe"), 0);
  EXPECT_TRUE(named.ready());
  named.close();
  (void)close(writer);
  (void)unlink(fifo.c_str());
}

// However many files are read in turn, one descriptor at a time is held.
TEST(NamedFileTest, EachFileIsClosedBeforeTheNext) {
  const int before = lowest_free_descriptor();
  NamedFile named;
  for (int i = 0; i < 100; ++i) ASSERT_EQ(named.open("/dev/null"), 0);
  EXPECT_EQ(lowest_free_descriptor(), before + 1);
  named.close();
  EXPECT_EQ(lowest_free_descriptor(), before);
}

}  // namespace
}  // namespace fieldsift
