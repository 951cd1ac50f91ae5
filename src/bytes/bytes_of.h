// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <span>
#include <string_view>

namespace fieldsift {

// Text is bytes, and no other cast says so.
[[nodiscard]] inline std::span<const unsigned char> bytes_of(std::string_view text) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

}  // namespace fieldsift
