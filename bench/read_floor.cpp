// The floor of reading standard input: 128 KiB reads into a buffer on a page
// boundary and nothing else, the input's pipe widened to 256 KiB first, as
// fieldsift reads. Linux only, like the benchmarks.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

int main() {
  constexpr int kPipeSize = 256 * 1024;
  constexpr std::size_t kReadSize = std::size_t{128} * 1024;
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): fcntl is the system's, and variadic
  const int size = fcntl(0, F_GETPIPE_SZ);
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg)
  if (size >= 0 && size < kPipeSize) (void)fcntl(0, F_SETPIPE_SZ, kPipeSize);
  void* buffer = std::aligned_alloc(4096, kReadSize);
  if (buffer == nullptr) return 1;
  ssize_t n = 0;
  while ((n = read(0, buffer, kReadSize)) > 0) {
  }
  std::free(buffer);
  return n == 0 ? 0 : 1;
}
