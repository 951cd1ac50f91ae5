#pragma once

// Starts the built program as a child process with the standard descriptors a
// test chooses, and moves bytes in and out of it. POSIX, plus wait4 and
// cfmakeraw, which Linux and the BSDs share.

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace fieldsift::e2e {

// A descriptor the test owns, closed when it goes. Every descriptor made here
// is close-on-exec, so a child holds only the three it is handed.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }

  [[nodiscard]] int get() const { return fd_; }
  void reset();

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read;
  Fd write;
};

[[nodiscard]] Pipe make_pipe();

// Both sides of a pseudo-terminal in raw mode, so bytes pass through it
// unchanged in either direction (no LF to CR LF, no echo).
struct Pty {
  Fd master;
  Fd slave;
};

[[nodiscard]] Pty make_raw_pty();

[[nodiscard]] Fd open_path(const char* path, int flags);

// One end of a connected stream socket whose reads yield bytes and then fail:
// its peer has closed with data of its own still unread, which resets the
// connection.
[[nodiscard]] Fd reset_socket_after(std::string_view bytes);

// An unlinked temporary regular file holding bytes, its offset at the start.
[[nodiscard]] Fd file_holding(std::string_view bytes);

// The offset of the open file description, which a child shares after dup2.
[[nodiscard]] off_t file_offset(int fd);
[[nodiscard]] off_t file_size(int fd);

// Writes all of bytes; false once the reader has gone or the write failed.
bool write_all(int fd, std::string_view bytes);

// Whether fd has something for a read (bytes, an end, an error) within timeout.
[[nodiscard]] bool readable_within(int fd, std::chrono::milliseconds timeout);

// Waits up to first for bytes on fd, then reads until none have come for quiet.
[[nodiscard]] std::string read_arriving(int fd, std::chrono::milliseconds first,
                                        std::chrono::milliseconds quiet);

// Reads until count bytes have come or the stream has ended.
[[nodiscard]] std::string read_up_to(int fd, std::size_t count);

// Reads each descriptor to its end, all at once so no writer can stall on a
// full pipe. EIO also ends one: a pty master reports so once its slave is gone.
[[nodiscard]] std::vector<std::string> read_to_end(std::span<const int> fds);

// How a Feeder hands over its bytes: all at once, or in pieces of `piece`
// bytes with a pause after each, so that the child's reads tend to end where
// the pieces do.
struct Pace {
  std::size_t piece = 0;  // 0: all at once
  std::chrono::milliseconds pause{0};
};

// Writes bytes into a pipe from its own thread, then closes it, so the child
// can fill its output pipes meanwhile; a reader that goes away ends it early.
class Feeder {
 public:
  Feeder(Fd to, std::string bytes, Pace pace = {});
  Feeder(const Feeder&) = delete;
  Feeder& operator=(const Feeder&) = delete;
  ~Feeder();

 private:
  std::thread thread_;
};

// A child's standard descriptor number left closed.
inline constexpr int kClosed = -1;

// What the child gets as descriptors 0, 1 and 2: the test's own descriptor
// numbers, or kClosed.
struct StdDescriptors {
  int in = kClosed;
  int out = kClosed;
  int err = kClosed;
};

struct Exit {
  int code = -1;  // the exit status, or -1 when a signal ended the child
  int signal = 0;
  long peak_rss_kib = 0;  // as wait4 reports it, which counts the forking parent's too
  long write_calls = -1;  // as Linux counts them; -1 where it does not
};

class Child {
 public:
  // Runs command[0], looked up in PATH, with command as its argument vector.
  // The child starts with default signal handling and no blocked signals.
  [[nodiscard]] static Child start(std::span<const std::string> command, StdDescriptors fds);

  Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
  Child& operator=(Child&&) = delete;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();  // a child still running is killed, so no test leaves one behind

  [[nodiscard]] Exit wait();

 private:
  explicit Child(pid_t pid) : pid_(pid) {}

  pid_t pid_ = -1;
};

}  // namespace fieldsift::e2e
