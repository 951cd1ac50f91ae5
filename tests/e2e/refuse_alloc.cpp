// Loaded into the program under test with LD_PRELOAD: refuses every request
// for FIELDSIFT_REFUSE_FROM bytes or more, as a machine short of memory
// would, and passes the others to the C library.

#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* old, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

bool refused(std::size_t size) {
  static const std::size_t from = [] {
    const char* const text = std::getenv("FIELDSIFT_REFUSE_FROM");
    return text != nullptr ? std::strtoull(text, nullptr, 10) : ~std::size_t{0};
  }();
  if (size < from) return false;
  errno = ENOMEM;
  return true;
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) { return refused(size) ? nullptr : __libc_malloc(size); }

void* calloc(std::size_t count, std::size_t size) {
  return refused(count * size) ? nullptr : __libc_calloc(count, size);
}

void* realloc(void* old, std::size_t size) {
  return refused(size) ? nullptr : __libc_realloc(old, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
  return refused(size) ? nullptr : __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }

int posix_memalign(void** to, std::size_t alignment, std::size_t size) {
  *to = memalign(alignment, size);
  return *to != nullptr ? 0 : ENOMEM;
}

}  // extern "C"
