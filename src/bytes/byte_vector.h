// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <span>

#include "bytes/heap_bytes.h"

namespace fieldsift {

// A run of bytes that grows as bytes are added, with no limit of its own.
// Its memory comes from malloc, so nothing throws: a growth the system
// refuses leaves the bytes as they were and sets a failure that stays set
// until clear().
class ByteVector {
 public:
  // Adds the bytes at the end; false, with nothing added, if there is no room to be had.
  bool append(std::span<const unsigned char> bytes) {
    if (bytes.empty()) return !failed_;
    if (!reserve(bytes.size())) return false;
    std::memcpy(storage_.get() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
    return !failed_;
  }

  bool push_back(unsigned char byte) { return append({&byte, 1}); }

  // Forgets the bytes and the failure; the memory is kept for the next use.
  void clear() {
    size_ = 0;
    failed_ = false;
  }

  // Writes bytes over those at pos, which must be the vector's already.
  void write_at(std::size_t pos, std::span<const unsigned char> bytes) {
    if (!bytes.empty()) std::memcpy(storage_.get() + pos, bytes.data(), bytes.size());
  }

  // Drops bytes from the end.
  void shrink_to(std::size_t size) { size_ = size < size_ ? size : size_; }

  [[nodiscard]] std::span<const unsigned char> bytes() const { return {storage_.get(), size_}; }
  [[nodiscard]] std::size_t size() const { return size_; }
  [[nodiscard]] bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kFirstCapacity = 256;

  bool reserve(std::size_t more) {
    if (capacity_ - size_ >= more) return true;
    std::size_t wanted = capacity_ == 0 ? kFirstCapacity : capacity_;
    while (wanted - size_ < more) {
      if (wanted > ~std::size_t{0} / 2) {
        wanted = size_ + more;
        if (wanted < size_) return fail();  // more than the address space holds
        break;
      }
      wanted *= 2;
    }
    HeapBytes grown = allocate_bytes(wanted);
    if (!grown) return fail();
    if (size_ > 0) std::memcpy(grown.get(), storage_.get(), size_);
    storage_ = std::move(grown);
    capacity_ = wanted;
    return true;
  }

  bool fail() {
    failed_ = true;
    return false;
  }

  HeapBytes storage_;
  std::size_t size_ = 0;  // size_ <= capacity_; bytes in [0, size_) are the vector's
  std::size_t capacity_ = 0;
  bool failed_ = false;  // a growth was refused since the last clear()
};

}  // namespace fieldsift
