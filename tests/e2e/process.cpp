#include "e2e/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fieldsift::e2e {
namespace {

// A test cannot go on without its descriptors or its child; the reason
// goes to the test log and the test process ends.
[[noreturn]] void die(const char* what) {
  std::fprintf(stderr, "e2e: %s: %s\n", what, std::strerror(errno));
  std::abort();
}

Fd close_on_exec(int fd, const char* what) {
  if (fd < 0 || fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) die(what);
  return Fd(fd);
}

int poll_one(int fd, std::chrono::milliseconds timeout) {
  struct pollfd p {
    fd, POLLIN, 0
  };
  int ready = 0;
  do {
    ready = poll(&p, 1, static_cast<int>(timeout.count()));
  } while (ready < 0 && errno == EINTR);
  return ready;
}

// At most limit bytes. A failed read ends the stream for the reader, as an
// end of input does.
bool read_some(int fd, std::string& into, std::size_t limit = 65536) {
  std::array<char, 65536> chunk{};
  ssize_t n = 0;
  do {
    n = read(fd, chunk.data(), std::min(limit, chunk.size()));
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return false;
  into.append(chunk.data(), static_cast<std::size_t>(n));
  return true;
}

// The test writes into pipes whose reader may be gone; that must show as
// EPIPE, not end the test. Each child gets the default action back.
void ignore_broken_pipe() {
  static const bool ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  if (!ignored) die("signal");
}

void give_descriptor(posix_spawn_file_actions_t& actions, int from, int to) {
  const int rc = from == kClosed ? posix_spawn_file_actions_addclose(&actions, to)
                                 : posix_spawn_file_actions_adddup2(&actions, from, to);
  if (rc != 0) {
    errno = rc;
    die("posix_spawn_file_actions");
  }
}

void reset_signals(posix_spawnattr_t& attributes) {
  sigset_t none;
  sigset_t broken_pipe;
  sigemptyset(&none);
  sigemptyset(&broken_pipe);
  sigaddset(&broken_pipe, SIGPIPE);
  if (posix_spawnattr_setsigmask(&attributes, &none) != 0 ||
      posix_spawnattr_setsigdefault(&attributes, &broken_pipe) != 0 ||
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0) {
    die("posix_spawnattr");
  }
}

}  // namespace

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void Fd::reset() {
  if (fd_ >= 0) (void)close(fd_);  // nothing useful to do if a close fails in a test
  fd_ = -1;
}

Pipe make_pipe() {
  std::array<int, 2> ends{};
  if (pipe(ends.data()) != 0) die("pipe");
  return {close_on_exec(ends[0], "pipe"), close_on_exec(ends[1], "pipe")};
}

Pty make_raw_pty() {
  Fd master = close_on_exec(posix_openpt(O_RDWR | O_NOCTTY), "posix_openpt");
  if (grantpt(master.get()) != 0 || unlockpt(master.get()) != 0) die("unlockpt");
  const char* slave_name = ptsname(master.get());
  if (slave_name == nullptr) die("ptsname");
  Fd slave = open_path(slave_name, O_RDWR | O_NOCTTY);
  struct termios mode {};
  if (tcgetattr(slave.get(), &mode) != 0) die("tcgetattr");
  cfmakeraw(&mode);
  if (tcsetattr(slave.get(), TCSANOW, &mode) != 0) die("tcsetattr");
  return {std::move(master), std::move(slave)};
}

Fd open_path(const char* path, int flags) {
  const int fd = open(path, flags | O_CLOEXEC);
  if (fd < 0) die(path);
  return Fd(fd);
}

Fd reset_socket_after(std::string_view bytes) {
  std::array<int, 2> ends{};
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends.data()) != 0) die("socketpair");
  const Fd peer = close_on_exec(ends[0], "socketpair");
  Fd kept = close_on_exec(ends[1], "socketpair");
  if (!write_all(peer.get(), bytes) || !write_all(kept.get(), "never read")) die("socket");
  return kept;  // peer closes on return, its data unread
}

Fd file_holding(std::string_view bytes) {
  const char* dir = std::getenv("TMPDIR");
  std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/e2e-XXXXXX";
  Fd file = close_on_exec(mkstemp(name.data()), "mkstemp");
  (void)unlink(name.c_str());  // the descriptor keeps the file; a leftover name is harmless
  if (!write_all(file.get(), bytes) || lseek(file.get(), 0, SEEK_SET) != 0) die("temporary file");
  return file;
}

off_t file_offset(int fd) { return lseek(fd, 0, SEEK_CUR); }

off_t file_size(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) die("fstat");
  return st.st_size;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool readable_within(int fd, std::chrono::milliseconds timeout) {
  return poll_one(fd, timeout) > 0;
}

std::string read_arriving(int fd, std::chrono::milliseconds first,
                          std::chrono::milliseconds quiet) {
  std::string arrived;
  if (!readable_within(fd, first)) return arrived;
  while (read_some(fd, arrived) && readable_within(fd, quiet)) {
  }
  return arrived;
}

std::string read_up_to(int fd, std::size_t count) {
  std::string arrived;
  while (arrived.size() < count && read_some(fd, arrived, count - arrived.size())) {
  }
  return arrived;
}

std::vector<std::string> read_to_end(std::span<const int> fds) {
  std::vector<std::string> contents(fds.size());
  std::vector<struct pollfd> waiting;
  for (const int fd : fds) waiting.push_back({fd, POLLIN, 0});
  std::size_t open = fds.size();
  while (open > 0) {
    if (poll(waiting.data(), waiting.size(), -1) < 0) {
      if (errno == EINTR) continue;
      die("poll");
    }
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      if (waiting[i].fd < 0 || waiting[i].revents == 0) continue;
      if (read_some(waiting[i].fd, contents[i])) continue;
      waiting[i].fd = -1;  // poll passes over a negative descriptor
      --open;
    }
  }
  return contents;
}

Feeder::Feeder(Fd to, std::string bytes, Pace pace)
    : thread_([to = std::move(to), bytes = std::move(bytes), pace]() mutable {
        const std::string_view all = bytes;
        const std::size_t piece = pace.piece == 0 ? all.size() : pace.piece;
        for (std::size_t pos = 0; pos < all.size(); pos += piece) {
          // A reader gone early is the test's to judge.
          if (!write_all(to.get(), all.substr(pos, piece))) break;
          std::this_thread::sleep_for(pace.pause);
        }
        to.reset();
      }) {}

Feeder::~Feeder() { thread_.join(); }

Child Child::start(std::span<const std::string> command, StdDescriptors fds) {
  ignore_broken_pipe();
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0 || posix_spawnattr_init(&attributes) != 0) {
    die("posix_spawn setup");
  }
  give_descriptor(actions, fds.in, 0);
  give_descriptor(actions, fds.out, 1);
  give_descriptor(actions, fds.err, 2);
  reset_signals(attributes);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  (void)posix_spawn_file_actions_destroy(&actions);  // cannot fail once initialised
  (void)posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    errno = rc;
    die(argv[0]);
  }
  return Child(pid);
}

Child::~Child() {
  if (pid_ <= 0) return;
  (void)kill(pid_, SIGKILL);
  (void)wait();
}

// The write calls the process made, from Linux's count; -1 where there is none.
long write_calls(pid_t pid) {
  std::FILE* io = std::fopen(("/proc/" + std::to_string(pid) + "/io").c_str(), "r");
  if (io == nullptr) return -1;
  long calls = -1;
  std::array<char, 64> line{};
  while (std::fgets(line.data(), static_cast<int>(line.size()), io) != nullptr) {
    if (std::sscanf(line.data(), "syscw: %ld", &calls) == 1) break;
  }
  (void)std::fclose(io);
  return calls;
}

Exit Child::wait() {
  // Waited for first without reaping, so that the ended process can still be asked.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0) {
    if (errno != EINTR) die("waitid");
  }
  const long writes = write_calls(pid_);
  int status = 0;
  struct rusage usage {};
  pid_t waited = -1;
  do {
    waited = wait4(pid_, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  if (waited < 0) die("wait4");
  pid_ = -1;
  Exit exit;
  exit.peak_rss_kib = usage.ru_maxrss;
  exit.write_calls = writes;
  if (WIFEXITED(status)) exit.code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) exit.signal = WTERMSIG(status);
  return exit;
}

}  // namespace fieldsift::e2e
