// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace fieldsift {

// Every buffer the program obtains comes from here. operator new cannot fail
// quietly: even its nothrow form throws inside and catches, and an exception
// needs memory of its own, so where there is none the process would abort.
// malloc answers null.
struct FreeBytes {
  // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): see above
  void operator()(unsigned char* bytes) const noexcept { std::free(bytes); }
};

// NOLINTNEXTLINE(cppcoreguidelines-avoid-c-arrays,modernize-avoid-c-arrays): bytes left unset
using HeapBytes = std::unique_ptr<unsigned char[], FreeBytes>;

// size bytes, left unset (untouched pages cost no memory); null if there are none.
[[nodiscard]] inline HeapBytes allocate_bytes(std::size_t size) noexcept {
  // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): see above
  return HeapBytes(static_cast<unsigned char*>(std::malloc(size)));
}

}  // namespace fieldsift
