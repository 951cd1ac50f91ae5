// SPDX-License-Identifier: BSD-2-Clause
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <iconv.h>
#include <sys/mman.h>

#include "textio/platform/platform.h"

// The C library's iconv converts. Its modules are files of the C library,
// which a build for another processor may lack (as under an emulator): then
// iconv_open fails with EINVAL, and the charset has no converter here.

namespace fieldsift {
namespace {

constexpr std::size_t kChunkSize = 1024;

// glibc maps a charset's converter module when iconv_open first needs it;
// where the address space has no room for it, iconv_open fails as it does for
// a charset without a module (EINVAL). So that a want of memory is never
// taken for a missing converter, that failure is one of memory when a block
// larger than any module cannot be mapped either.
bool address_space_is_short() {
  constexpr std::size_t kLargerThanAnyModule = std::size_t{1} << 20U;
  void* const probe =
      mmap(nullptr, kLargerThanAnyModule, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-cstyle-cast,performance-no-int-to-ptr): the C
  // library's
  if (probe == MAP_FAILED) return true;
  (void)munmap(probe,
               kLargerThanAnyModule);  // a mapping no one touches: nothing is lost if it stays
  return false;
}

// One call of iconv: converts what it can of in (none: ends the text, as a
// stateful charset needs) into a chunk, and appends that to out.
Conversion convert_some(iconv_t cd, std::span<const unsigned char>& in, ByteVector& out) {
  std::array<char, kChunkSize> chunk{};
  char* to = chunk.data();
  std::size_t room = chunk.size();
  // iconv takes its input as char**, never writing through it.
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast,cppcoreguidelines-pro-type-reinterpret-cast)
  char* from = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
  std::size_t left = in.size();
  const std::size_t result =
      in.empty() ? iconv(cd, nullptr, nullptr, &to, &room) : iconv(cd, &from, &left, &to, &room);
  const int error = errno;
  in = in.last(left);
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the chunk's bytes
  if (!out.append({reinterpret_cast<const unsigned char*>(chunk.data()), chunk.size() - room}))
    return Conversion::NoMemory;
  if (result != static_cast<std::size_t>(-1) || error == E2BIG) return Conversion::Converted;
  return error == ENOMEM ? Conversion::NoMemory : Conversion::Refused;
}

}  // namespace

Conversion convert_to_utf8(const SystemCharset& charset, std::span<const unsigned char> bytes,
                           ByteVector& out) {
  // iconv_open's failure is the pointer of the value -1.
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast,performance-no-int-to-ptr)
  auto* const no_converter = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));
  auto* const cd = iconv_open("UTF-8", charset.iconv_name);
  if (cd == no_converter) {
    const int error = errno;
    return error == ENOMEM || address_space_is_short() ? Conversion::NoMemory
                                                       : Conversion::NoConverter;
  }
  const std::size_t mark = out.size();
  Conversion result = Conversion::Converted;
  while (!bytes.empty() && result == Conversion::Converted) result = convert_some(cd, bytes, out);
  if (result == Conversion::Converted) result = convert_some(cd, bytes, out);
  (void)iconv_close(cd);  // nothing is lost if closing fails: the text is converted
  if (result == Conversion::Refused) out.shrink_to(mark);
  return result;
}

}  // namespace fieldsift
