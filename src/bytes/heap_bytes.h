// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

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

// The same for objects of a plain type, one that is all bytes and needs no
// constructor or destructor: malloc makes such objects where it answers.
template <class T>
struct FreeArray {
  // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): see above
  void operator()(T* objects) const noexcept { std::free(objects); }
};

template <class T>
// NOLINTNEXTLINE(cppcoreguidelines-avoid-c-arrays,modernize-avoid-c-arrays): objects left unset
using HeapArray = std::unique_ptr<T[], FreeArray<T>>;

// count objects, left unset; null if there is no room for them.
template <class T>
[[nodiscard]] HeapArray<T> allocate_array(std::size_t count) noexcept {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  if (count > ~std::size_t{0} / sizeof(T)) return nullptr;
  // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory): see above
  return HeapArray<T>(static_cast<T*>(std::malloc(count * sizeof(T))));
}

}  // namespace fieldsift
