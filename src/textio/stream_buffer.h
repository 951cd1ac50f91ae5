// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <new>
#include <span>

namespace fieldsift {

// A stream's buffer, obtained at its first use and kept to the end. It starts
// on a cache line: the system copies into and out of such a buffer far
// faster. With no memory to be had, the stream carries on through two bytes
// of its own: slower, with the same results.
class StreamBuffer {
 public:
  // The buffer; size counts only at the first call.
  [[nodiscard]] std::span<unsigned char> obtain(std::size_t size) {
    if (!obtained_) {
      obtained_ = true;
      // Left unset: untouched pages cost no memory. Only the nothrow form
      // can fail without an exception; the unique_ptr owns it at once.
      // NOLINTNEXTLINE(cppcoreguidelines-owning-memory)
      storage_.reset(new (std::nothrow) unsigned char[size + kAlignment]);
      void* start = storage_.get();
      std::size_t space = size + kAlignment;
      start_ = static_cast<unsigned char*>(std::align(kAlignment, size, start, space));
      size_ = size;
    }
    if (!storage_) return fallback_;
    return {start_, size_};
  }

 private:
  static constexpr std::size_t kAlignment = 64;

  // Bytes left unset; a std::vector would set every one.
  // NOLINTNEXTLINE(cppcoreguidelines-avoid-c-arrays,modernize-avoid-c-arrays)
  std::unique_ptr<unsigned char[]> storage_;
  unsigned char* start_ = nullptr;  // the first byte of storage_ on a kAlignment boundary
  std::size_t size_ = 0;
  bool obtained_ = false;
  std::array<unsigned char, 2> fallback_{};
};

}  // namespace fieldsift
