// SPDX-License-Identifier: BSD-2-Clause
#include "decode/charset.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "bytes/ascii.h"

namespace fieldsift {

const Charset* find_charset(std::span<const unsigned char> name) {
  // Every name we know fits; a longer one is none of them.
  std::array<char, 32> folded{};
  if (name.empty() || name.size() > folded.size()) return nullptr;
  std::transform(name.begin(), name.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(fold_case(c)); });
  const std::string_view key(folded.data(), name.size());
  const std::span<const CharsetName> names = charset_names();
  const auto found =
      std::lower_bound(names.begin(), names.end(), key,
                       [](const CharsetName& entry, std::string_view k) { return entry.name < k; });
  if (found == names.end() || found->name != key) return nullptr;
  return found->charset;
}

}  // namespace fieldsift
