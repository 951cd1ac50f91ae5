// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "bytes/ascii.h"
#include "bytes/heap_bytes.h"

namespace fieldsift {

// The hash of a name as a header compares it, ASCII letters without case,
// in the same few steps for any length: from its length and its first and
// last eight bytes, each with the case bit set. That folds every letter,
// and maps some other bytes onto others too: the names it cannot tell
// apart are told apart by comparing them.
[[nodiscard]] inline std::uint64_t folded_hash(std::span<const unsigned char> name) {
  constexpr std::uint64_t kWord = sizeof(std::uint64_t);
  constexpr std::uint64_t kCaseBits = ~std::uint64_t{0} / 0xFF * kCaseBit;
  constexpr std::uint64_t kHead = 0x9E3779B97F4A7C15U;  // odd: every bit moves up
  constexpr std::uint64_t kTail = 0xC2B2AE3D27D4EB4FU;
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  if (name.size() >= kWord) {
    std::memcpy(&head, name.data(), kWord);
    std::memcpy(&tail, name.data() + name.size() - kWord, kWord);
  } else if (!name.empty()) {
    std::memcpy(&head, name.data(), name.size());
    tail = head;
  }
  const std::uint64_t hash = (head | kCaseBits) * kHead ^ (tail | kCaseBits) * kTail ^ name.size();
  constexpr unsigned kHighBitsDown = 29;  // the product's high bits into the places' low ones
  return hash ^ hash >> kHighBitsDown;
}

// Items found by the hash of their name, in time that does not grow with
// how many there are: a list of a thousand fields costs a header line what
// a list of one does. Open addressing over twice as many places as items.
class NameIndex {
 public:
  static constexpr std::size_t kNone = SIZE_MAX;

  // Room for up to count items; valid() is false if there was no memory.
  explicit NameIndex(std::size_t count) {
    std::size_t places = 2;
    while (places < 2 * count) places *= 2;
    places_ = allocate_array<Place>(places);
    if (!places_) return;
    mask_ = places - 1;
    for (std::size_t i = 0; i < places; ++i) places_[i] = Place{0, kNone};
  }

  [[nodiscard]] bool valid() const { return places_ != nullptr; }

  // The first item of that hash that is(item) holds for; kNone if none.
  template <class Is>
  [[nodiscard]] std::size_t find(std::uint64_t hash, Is is) const {
    for (std::size_t at = static_cast<std::size_t>(hash) & mask_;; at = (at + 1) & mask_) {
      const Place& p = places_[at];
      if (p.item == kNone) return kNone;
      if (p.hash == hash && is(p.item)) return p.item;
    }
  }

  // Adds an item; no more than the count made room for.
  void add(std::uint64_t hash, std::size_t item) {
    std::size_t at = static_cast<std::size_t>(hash) & mask_;
    while (places_[at].item != kNone) at = (at + 1) & mask_;
    places_[at] = Place{hash, item};
  }

 private:
  struct Place {
    std::uint64_t hash;
    std::size_t item;  // kNone where the place is free
  };

  HeapArray<Place> places_;  // a power of two of them, more than twice the items
  std::size_t mask_ = 0;
};

}  // namespace fieldsift
