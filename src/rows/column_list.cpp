// SPDX-License-Identifier: BSD-2-Clause
#include "rows/column_list.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "bytes/utf8.h"
#include "rows/name_index.h"

namespace fieldsift {
namespace {

constexpr char kSeparator = ',';
constexpr char kViewMark = ':';

struct ViewName {
  std::string_view name;
  View view;
};

// The views of a field, after its name's colon, and the computed columns,
// after a colon alone; names in any case.
constexpr std::array<ViewName, 5> kFieldViews = {{
    {"iso", View::Iso},
    {"epoch", View::Epoch},
    {"addr", View::Addresses},
    {"name", View::Name},
    {"id", View::Ids},
}};
constexpr std::array<ViewName, 2> kComputed = {{{"size", View::Size}, {"parent", View::Parent}}};

// The fields :parent reads: its id is References' last, else In-Reply-To's first.
constexpr std::string_view kReferences = "References";
constexpr std::string_view kInReplyTo = "In-Reply-To";

template <std::size_t N>
std::optional<View> find_view(const std::array<ViewName, N>& views, std::string_view name) {
  for (const ViewName& v : views) {
    if (equal_folded(bytes_of(v.name), bytes_of(name))) return v.view;
  }
  return std::nullopt;
}

// One character of a name as a JSON key shows it: a well-formed UTF-8
// sequence, or U+FFFD for a byte that begins none. used: the bytes it takes.
std::span<const unsigned char> key_unit(std::span<const unsigned char> rest, std::size_t& used) {
  const std::size_t n = well_formed_length(rest);
  used = n == 0 ? 1 : n;
  if (n == 0) return kReplacementBytes;
  return rest.first(n);
}

// Two names are the same column's when they name the same header field
// (ASCII letters without case) and also when their JSON keys would be
// equal, as two different bytes that are not UTF-8 both show as U+FFFD: a
// row holds a column once, and the keys of a JSON object must be unique.
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

// The hash of a name as same_key compares it.
std::uint64_t key_hash(std::span<const unsigned char> name) {
  constexpr std::uint64_t kStep = 31;  // odd, so that units in another order differ
  std::uint64_t hash = folded_hash({});
  while (!name.empty()) {
    std::size_t used = 0;
    const std::span<const unsigned char> unit = key_unit(name, used);
    hash = hash * kStep + folded_hash(unit);
    name = name.subspan(used);
  }
  return hash;
}

// A column before its field is known: its name, empty for a computed one.
struct Named {
  Column column;
  std::string_view name;
};

struct Parsed {
  Named named;
  ColumnListError error = ColumnListError::None;
};

// One column as written between commas.
Parsed parse_column(std::string_view written) {
  const std::string_view item = trim_blanks(written);
  const std::size_t mark = item.find(kViewMark);
  const std::string_view name = trim_blanks(item.substr(0, mark));
  const std::string_view view =
      mark == std::string_view::npos ? std::string_view() : trim_blanks(item.substr(mark + 1));
  if (mark == 0) {  // a computed column
    if (view.empty()) return {{}, ColumnListError::EmptyName};
    const std::optional<View> computed = find_view(kComputed, view);
    if (!computed) return {{{item, View::Raw, 0, 0}, {}}, ColumnListError::UnknownView};
    return {{{item, *computed, 0, 0}, {}}};
  }
  if (name.empty()) return {{}, ColumnListError::EmptyName};
  // "-f=subject" gives "=subject", which no one means: what was meant is
  // "subject", and no field that mail carries begins with "=", so the
  // column would never be filled.
  if (name.front() == '=')
    return {{{name, View::Raw, 0, 0}, name}, ColumnListError::BeginsWithEquals};
  if (view.empty()) return {{{name, View::Raw, 0, 0}, name}};
  const std::optional<View> shown = find_view(kFieldViews, view);
  if (!shown) return {{{item, View::Raw, 0, 0}, name}, ColumnListError::UnknownView};
  return {{{item, *shown, 0, 0}, name}};
}

}  // namespace

// Builds a list in one pass over the argument, each column and field
// looked up by name.
struct ColumnListParser {
  explicit ColumnListParser(std::size_t count)
      : columns(count), fields(count + 2), names(allocate_array<std::string_view>(count)) {
    list.columns_ = allocate_array<Column>(count);
    list.fields_ = allocate_array<std::string_view>(count + 2);
  }

  [[nodiscard]] bool valid() const {
    return columns.valid() && fields.valid() && names && list.columns_ && list.fields_;
  }

  // The field of that name, added if it is new.
  std::size_t field(std::string_view name) {
    const std::span<const unsigned char> bytes = bytes_of(name);
    const std::uint64_t hash = folded_hash(bytes);
    const std::size_t found = fields.find(
        hash, [&](std::size_t i) { return equal_folded(bytes_of(list.fields_[i]), bytes); });
    if (found != NameIndex::kNone) return found;
    fields.add(hash, list.fields_size_);
    list.fields_[list.fields_size_] = name;
    return list.fields_size_++;
  }

  // Adds a column; false if one like it came before.
  bool add(const Named& named) {
    const std::size_t n = list.columns_size_;
    const View view = named.column.view;
    const std::uint64_t hash = key_hash(bytes_of(named.name)) ^ static_cast<std::uint64_t>(view);
    const std::size_t earlier = columns.find(hash, [&](std::size_t i) {
      return list.columns_[i].view == view && same_key(bytes_of(names[i]), bytes_of(named.name));
    });
    if (earlier != NameIndex::kNone) return false;
    columns.add(hash, n);
    names[n] = named.name;
    list.columns_[n] = named.column;
    if (!named.name.empty()) list.columns_[n].field = field(named.name);
    list.needs_size_ = list.needs_size_ || view == View::Size;
    ++list.columns_size_;
    return true;
  }

  // The fields :parent reads come after those named.
  void add_parent_fields() {
    for (std::size_t i = 0; i < list.columns_size_; ++i) {
      Column& c = list.columns_[i];
      if (c.view != View::Parent) continue;
      c.field = field(kReferences);
      c.second_field = field(kInReplyTo);
    }
  }

  ColumnList list;
  NameIndex columns;
  NameIndex fields;
  HeapArray<std::string_view> names;  // of each column added, as Named has it
};

std::string_view describe(ColumnListError error) {
  switch (error) {
    case ColumnListError::None:
      break;
    case ColumnListError::EmptyList:
      return "no field name given";
    case ColumnListError::EmptyName:
      return "empty field name";
    case ColumnListError::BeginsWithEquals:
      return "field name begins with \"=\"";
    case ColumnListError::NamedTwice:
      return "field named twice";
    case ColumnListError::UnknownView:
      return "unknown view";
    case ColumnListError::NoMemory:
      return "Cannot allocate memory";
  }
  return {};
}

ColumnListResult parse_column_list(std::string_view argument) {
  if (argument.empty()) return {{}, ColumnListError::EmptyList, {}};
  ColumnListParser parser(
      static_cast<std::size_t>(std::count(argument.begin(), argument.end(), kSeparator)) + 1);
  if (!parser.valid()) return {{}, ColumnListError::NoMemory, {}};
  for (std::string_view rest = argument;;) {
    const std::size_t comma = rest.find(kSeparator);
    const Parsed parsed = parse_column(rest.substr(0, comma));
    if (parsed.error != ColumnListError::None) return {{}, parsed.error, parsed.named.column.key};
    if (!parser.add(parsed.named))
      return {{}, ColumnListError::NamedTwice, parsed.named.column.key};
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  parser.add_parent_fields();
  return {std::move(parser.list), ColumnListError::None, {}};
}

}  // namespace fieldsift
