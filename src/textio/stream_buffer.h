#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <new>
#include <span>

namespace fieldsift {

// A stream's buffer, obtained at its first use and kept to the end. With no
// memory to be had, the stream carries on through two bytes of its own:
// slower, with the same results.
class StreamBuffer {
 public:
  // The buffer; size counts only at the first call.
  [[nodiscard]] std::span<unsigned char> obtain(std::size_t size) {
    if (!obtained_) {
      obtained_ = true;
      storage_.reset(new (std::nothrow) unsigned char[size]);  // left unset: untouched pages cost no memory
      size_ = storage_ ? size : 0;
    }
    if (!storage_) return fallback_;
    return {storage_.get(), size_};
  }

 private:
  std::unique_ptr<unsigned char[]> storage_;
  std::size_t size_ = 0;
  bool obtained_ = false;
  std::array<unsigned char, 2> fallback_{};
};

}  // namespace fieldsift
