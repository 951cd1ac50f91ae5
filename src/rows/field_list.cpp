// SPDX-License-Identifier: BSD-2-Clause
#include "rows/field_list.h"

#include <algorithm>
#include <span>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "bytes/utf8.h"

namespace fieldsift {
namespace {

constexpr char kSeparator = ',';

std::string_view without_blanks_after(std::string_view name) {
  while (!name.empty() && is_blank(static_cast<unsigned char>(name.back()))) name.remove_suffix(1);
  return name;
}

// A name as it is matched: without the colon it may end with, and without
// spaces and tabs around it, which no field's name can begin with and which
// may stand before its colon (so "subject, date" names two fields).
std::string_view bare_name(std::string_view name) {
  while (!name.empty() && is_blank(static_cast<unsigned char>(name.front()))) name.remove_prefix(1);
  name = without_blanks_after(name);
  if (name.ends_with(':')) name.remove_suffix(1);
  return without_blanks_after(name);
}

// One character of a name as a JSON key shows it: a well-formed UTF-8
// sequence, or U+FFFD for a byte that begins none. used: the bytes it takes.
std::span<const unsigned char> key_unit(std::span<const unsigned char> rest, std::size_t& used) {
  const std::size_t n = well_formed_length(rest);
  used = n == 0 ? 1 : n;
  if (n == 0) return kReplacementBytes;
  return rest.first(n);
}

// Two names are the same when they name the same header field (ASCII letters
// without case) and also when their JSON keys would be equal, as two
// different bytes that are not UTF-8 both show as U+FFFD: a row holds a
// field once, and the keys of a JSON object must be unique.
bool same_key(std::span<const unsigned char> a, std::span<const unsigned char> b) {
  while (!a.empty() && !b.empty()) {
    std::size_t used_a = 0;
    std::size_t used_b = 0;
    if (!equal_folded(key_unit(a, used_a), key_unit(b, used_b))) return false;
    a = a.subspan(used_a);
    b = b.subspan(used_b);
  }
  return a.empty() && b.empty();
}

// Whether a name equal to name comes among the first count names.
bool named_before(std::string_view argument, std::size_t count, std::string_view name) {
  auto earlier = FieldList::Iterator(argument);
  for (std::size_t i = 0; i < count; ++i, ++earlier) {
    if (same_key(bytes_of(*earlier), bytes_of(name))) return true;
  }
  return false;
}

// Every name is compared with those before it: lists are short.
FieldListResult check_names(std::string_view argument) {
  std::size_t size = 0;
  std::size_t longest = 0;
  for (auto it = FieldList::Iterator(argument); it != FieldList::end(); ++it, ++size) {
    const std::string_view name = *it;
    if (name.empty()) return {FieldList(), FieldListError::EmptyName, {}};
    // "-f=subject" gives "=subject", which no one means: what was meant is
    // "subject", and no field that mail carries begins with "=", so the list
    // would never match.
    if (name.front() == '=') return {FieldList(), FieldListError::BeginsWithEquals, name};
    if (named_before(argument, size, name)) return {FieldList(), FieldListError::NamedTwice, name};
    longest = std::max(longest, name.size());
  }
  return {FieldList(argument, size, longest), FieldListError::None, {}};
}

}  // namespace

std::string_view FieldList::Iterator::operator*() const {
  return bare_name(rest_.substr(0, rest_.find(kSeparator)));
}

FieldList::Iterator& FieldList::Iterator::operator++() {
  const std::size_t comma = rest_.find(kSeparator);
  done_ = comma == std::string_view::npos;
  rest_ = done_ ? std::string_view() : rest_.substr(comma + 1);
  return *this;
}

std::string_view describe(FieldListError error) {
  switch (error) {
    case FieldListError::None:
      break;
    case FieldListError::EmptyList:
      return "no field name given";
    case FieldListError::EmptyName:
      return "empty field name";
    case FieldListError::BeginsWithEquals:
      return "field name begins with \"=\"";
    case FieldListError::NamedTwice:
      return "field named twice";
  }
  return {};
}

FieldListResult parse_field_list(std::string_view argument) {
  if (argument.empty()) return {FieldList(), FieldListError::EmptyList, {}};
  return check_names(argument);
}

}  // namespace fieldsift
