// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "bytes/heap_bytes.h"

namespace fieldsift {

// A stream's buffer, obtained at its first use and kept to the end. It starts
// on a page: the system copies into and out of such a buffer far faster, and
// a file opened for direct transfers (O_DIRECT) can be read only into one.
// With no memory to be had, the stream carries on through two bytes of its
// own: slower, with the same results.
class StreamBuffer {
 public:
  StreamBuffer() = default;
  // A buffer over a fixed area of its owner's, which obtain() then answers.
  explicit StreamBuffer(std::span<unsigned char> area) : bytes_(area) {}
  StreamBuffer(const StreamBuffer&) = delete;  // bytes() may point into this very object
  StreamBuffer& operator=(const StreamBuffer&) = delete;
  StreamBuffer(StreamBuffer&&) = delete;
  StreamBuffer& operator=(StreamBuffer&&) = delete;
  ~StreamBuffer() = default;

  // The buffer, obtained at the first call; size counts only then.
  [[nodiscard]] std::span<unsigned char> obtain(std::size_t size) {
    if (bytes_.empty()) bytes_ = allocate(size);
    return bytes_;
  }

  // The buffer; empty until the first obtain().
  [[nodiscard]] std::span<unsigned char> bytes() const { return bytes_; }

 private:
  static constexpr std::size_t kAlignment = 4096;

  std::span<unsigned char> allocate(std::size_t size) {
    storage_ = allocate_bytes(size + kAlignment);
    if (!storage_) return fallback_;
    void* start = storage_.get();
    std::size_t space = size + kAlignment;
    return {static_cast<unsigned char*>(std::align(kAlignment, size, start, space)), size};
  }

  HeapBytes storage_;
  std::array<unsigned char, 2> fallback_{};
  // Within storage_, on a kAlignment boundary, or fallback_, or the owner's area.
  std::span<unsigned char> bytes_;
};

}  // namespace fieldsift
