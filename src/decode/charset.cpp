// SPDX-License-Identifier: BSD-2-Clause
#include "decode/charset.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "bytes/ascii.h"

namespace fieldsift {
namespace {

// Every name we know fits, as it is looked up; a longer one is none of them.
constexpr std::size_t kLongestName = 32;

bool is_kept(unsigned char c) { return is_letter(c) || (c >= '0' && c <= '9') || c == '.'; }

bool is_printable(unsigned char c) { return c > ' ' && c <= '~'; }

// The name as the table holds it, into key; answers its length, 0 when it
// can be none of ours.
std::size_t lookup_key(std::span<const unsigned char> name, std::array<char, kLongestName>& key) {
  std::size_t size = 0;
  bool run = false;  // other bytes came since the last kept one
  for (const unsigned char c : name) {
    if (!is_printable(c)) return 0;
    if (!is_kept(c)) {
      run = true;
      continue;
    }
    if (size + (run && size > 0 ? 2 : 1) > key.size()) return 0;
    if (run && size > 0) key[size++] = '_';
    key[size++] = static_cast<char>(fold_case(c));
    run = false;
  }
  return size;
}

}  // namespace

const Charset* find_charset(std::span<const unsigned char> name) {
  std::array<char, kLongestName> folded{};
  const std::size_t size = lookup_key(name, folded);
  if (size == 0) return nullptr;
  const std::string_view key(folded.data(), size);
  const std::span<const CharsetName> names = charset_names();
  const auto found =
      std::lower_bound(names.begin(), names.end(), key,
                       [](const CharsetName& entry, std::string_view k) { return entry.name < k; });
  if (found == names.end() || found->name != key) return nullptr;
  return found->charset;
}

}  // namespace fieldsift
