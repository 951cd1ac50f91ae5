// SPDX-License-Identifier: BSD-2-Clause
#include "textio/platform/platform.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "textio/platform/posix_errors.h"

namespace fieldsift {
namespace {

struct HandleState {
  StreamKind kind = StreamKind::Device;
  bool usable = false;  // false: closed or unqueryable, every call fails with kBadDescriptor
  int fd = -1;
  bool named = false;  // the Output handle is a file the program opened by name
};

// Indexed by Handle. The standard ones are set once at start-up; the
// named one each time a file is opened by name.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the one per-handle state
std::array<HandleState, 4> g_handles;

HandleState& state(Handle handle) { return g_handles[static_cast<std::size_t>(handle)]; }
int descriptor(Handle handle) { return state(handle).fd; }

// Nobody can watch the null device, so it is no device to be written line
// by line: it takes blocks, as a file does. Known by its device number.
bool is_null_device(const struct stat& st) {
  struct stat null {};
  return stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) && st.st_rdev == null.st_rdev;
}

HandleState classify(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return {};
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return {StreamKind::Pipe, true, fd};
  if (S_ISCHR(st.st_mode) && !is_null_device(st)) return {StreamKind::Device, true, fd};
  return {StreamKind::DiskFile, true, fd};
}

#if defined(F_SETPIPE_SZ)
// A pipe of the default 64 KiB makes its writer wait for the reader every
// 64 KiB, and each wait costs a switch between the two; a larger pipe lets
// both run on. It is only ever grown, and a refusal (a user's limit on pipe
// memory) leaves it as it was.
constexpr int kInputPipeSize = 256 * 1024;

void widen_pipe(int fd) {
  // NOLINTBEGIN(cppcoreguidelines-pro-type-vararg): fcntl is the system's, and variadic
  const int size = fcntl(fd, F_GETPIPE_SZ);
  if (size >= 0 && size < kInputPipeSize) (void)fcntl(fd, F_SETPIPE_SZ, kInputPipeSize);
  // NOLINTEND(cppcoreguidelines-pro-type-vararg)
}
#else
void widen_pipe(int) {}
#endif

// A descriptor left non-blocking by whoever started us must not lose data:
// wait until it is ready instead of failing.
void wait_until_ready(int fd, short events) {
  pollfd p{fd, events, 0};
  (void)poll(&p, 1, -1);  // any outcome: the next call tells what really happened
}

}  // namespace

void start_platform() {
  (void)std::signal(SIGPIPE, SIG_IGN);  // a gone reader becomes EPIPE, which the writer expects
  (void)std::signal(SIGXFSZ, SIG_IGN);  // a write past the file size limit fails with EFBIG
  for (int fd = 0; fd < 3; ++fd) g_handles[static_cast<std::size_t>(fd)] = classify(fd);
  if (g_handles[0].kind == StreamKind::Pipe) widen_pipe(descriptor(Handle::Input));
}

void close_named() {
  HandleState& named = state(Handle::Named);
  if (named.fd >= 0) (void)close(named.fd);  // opened for reading only: nothing to lose
  named = {};
}

int open_named(const char* name) {
  close_named();
  HandleState& named = state(Handle::Named);
  int fd = -1;
  do {
    fd = open(name, O_RDONLY | O_CLOEXEC);  // NOLINT(cppcoreguidelines-pro-type-vararg)
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  named = classify(fd);
  named.fd = fd;
  if (named.kind == StreamKind::Pipe) widen_pipe(fd);
  return 0;
}

// Read and write for all, less what the user's umask takes away, as a
// shell's redirection makes a file.
constexpr mode_t kNewFileMode = 0666;

int open_output(const char* name) {
  int fd = -1;
  do {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): open is the system's, and variadic
    fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno;
  HandleState& out = state(Handle::Output);
  out = classify(fd);
  out.fd = fd;
  out.named = true;
  return 0;
}

namespace {

FileIdentity identity(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), {0, static_cast<std::uint64_t>(st.st_ino)}};
}

}  // namespace

bool input_is_output(Handle input) {
  struct stat in {};
  struct stat out {};
  if (fstat(descriptor(input), &in) != 0 || fstat(descriptor(Handle::Output), &out) != 0)
    return false;
  // Both ends of one pipe (/dev/stdout opened by name): the reader would wait
  // for bytes only it can write. A socket's two directions are apart.
  if (S_ISFIFO(in.st_mode) && S_ISFIFO(out.st_mode))
    return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
  if (!S_ISREG(in.st_mode)) return false;
  // A file opened as the output was emptied: no input is to be read from it.
  if (state(Handle::Output).named) return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
  return reads_own_output(identity(in), identity(out), lseek(descriptor(input), 0, SEEK_CUR),
                          in.st_size);
}

ArgumentFiles::~ArgumentFiles() = default;

// The shell has expanded any wildcards: the argument names one file.
ArgumentFiles::File ArgumentFiles::next() {
  if (done_) return {nullptr, 0};
  done_ = true;
  return {argument_, 0};
}

StreamKind handle_kind(Handle handle) { return state(handle).kind; }

// A terminal here takes its text as bytes, in the encoding of its locale.
void write_utf8_as_text(Handle /*handle*/) {}

IoResult read_handle(Handle handle, std::span<unsigned char> into) {
  if (!state(handle).usable) return {0, kBadDescriptor};
  const int fd = descriptor(handle);
  for (;;) {
    const ssize_t n = read(fd, into.data(), into.size());
    if (n >= 0) return {static_cast<std::size_t>(n), 0};
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      wait_until_ready(fd, POLLIN);
      continue;
    }
    return {0, read_failure(errno)};
  }
}

bool input_ready(Handle handle) {
  const HandleState& h = state(handle);
  if (!h.usable || h.kind == StreamKind::DiskFile) return true;
  pollfd p{h.fd, POLLIN, 0};
  // A failed poll tells nothing: the read itself will.
  return poll(&p, 1, 0) != 0;
}

IoResult write_handle(Handle handle, std::span<const unsigned char> bytes) {
  if (!state(handle).usable) return {0, kBadDescriptor};
  const int fd = descriptor(handle);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      wait_until_ready(fd, POLLOUT);
    } else {
      return {done, n < 0 ? write_failure(errno) : EIO};
    }
  }
  return {done, 0};
}

bool step_back_one_byte(Handle handle) {
  const HandleState& h = state(handle);
  if (!h.usable || h.kind != StreamKind::DiskFile) return false;
  return lseek(h.fd, -1, SEEK_CUR) != -1;
}

bool is_broken_pipe(int error) { return error == EPIPE; }

void exit_process(int status) { std::exit(status); }

}  // namespace fieldsift
