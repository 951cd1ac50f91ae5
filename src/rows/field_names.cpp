// SPDX-License-Identifier: BSD-2-Clause
#include "rows/field_names.h"

#include <algorithm>
#include <string_view>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "message/header_sink.h"

namespace fieldsift {
namespace {

constexpr std::string_view kSeparator = kMboxSeparator;

bool is_separator(std::span<const unsigned char> line_start) {
  return line_start.size() >= kSeparator.size() &&
         std::ranges::equal(line_start.first(kSeparator.size()), bytes_of(kSeparator));
}

// What stands before a line's first colon holds no colon or LF, and has its
// SP and TAB at the end dropped.
bool can_match(std::span<const unsigned char> name) {
  return std::ranges::find(name, ':') == name.end() &&
         std::ranges::find(name, '\n') == name.end() && !is_blank(name.back());
}

}  // namespace

FieldNames::FieldNames(const FieldList& fields)
    : slots_(allocate_array<FieldSlot>(fields.size())),
      size_(fields.size()),
      name_limit_(std::max(fields.longest(), kSeparator.size())) {
  if (!slots_) return;
  std::size_t i = 0;
  for (const std::string_view name : fields) {
    const std::span<const unsigned char> bytes = bytes_of(name);  // never empty
    slots_[i++] = FieldSlot{bytes.data(), bytes.size(), can_match(bytes), false, 0, 0};
    const unsigned char first = fold_case(bytes[0]);
    first_bytes_.members[first] = true;
    first_bytes_.members[upper_case(first)] = true;
  }
}

// Each name is tried where it would stand: no search for the colon.
FieldNames::Found FieldNames::named_at(const unsigned char* line, const unsigned char* end,
                                       bool first_line) {
  const std::span<const unsigned char> bytes(line, end);
  if (first_line) {
    if (bytes.size() < kSeparator.size()) return {nullptr, nullptr, false};
    if (is_separator(bytes)) return {nullptr, nullptr, true};
  }
  for (FieldSlot& s : slots()) {
    if (s.present || !s.can_match) continue;
    if (bytes.size() <= s.name_size) return {nullptr, nullptr, false};
    if (!equal_folded(bytes.first(s.name_size), {s.name, s.name_size})) continue;
    const unsigned char* const after = std::find_if_not(line + s.name_size, end, is_blank);
    if (after == end) return {nullptr, nullptr, false};
    if (*after == ':') return {&s, after, true};
  }
  return {nullptr, nullptr, true};
}

FieldSlot* FieldNames::named_by(std::span<const unsigned char> name, bool first_line) {
  if (first_line && is_separator(name)) return nullptr;
  while (!name.empty() && is_blank(name.back())) name = name.first(name.size() - 1);
  for (FieldSlot& s : slots()) {
    if (!s.present && equal_folded(name, {s.name, s.name_size})) return &s;
  }
  return nullptr;
}

}  // namespace fieldsift
