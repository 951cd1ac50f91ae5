// SPDX-License-Identifier: BSD-2-Clause
#include "headsift_options.h"

#include <array>
#include <optional>
#include <utility>

namespace fieldsift {
namespace {

// The options that take a value: after the short form in the same
// argument or the next one ("-fLIST", "-f LIST"), after the long form's "="
// or in the next argument ("--fields=LIST", "--fields LIST").
struct ValuedOption {
  std::string_view short_form;
  std::string_view long_form;
  std::string_view HeadsiftOptions::*value;
  std::string_view missing;  // the report when no value follows
  std::string_view twice;    // the report for a second one
};

constexpr std::array<ValuedOption, 2> kValued = {{
    {"-f", "--fields", &HeadsiftOptions::fields, "missing field list", "field list given twice"},
    {"-o", "--output", &HeadsiftOptions::output, "missing output file", "output given twice"},
}};

// What an argument before "--" is.
enum class Role { File, EndOfOptions, Option, OptionBeforeValue };

Role role_of(std::string_view arg) {
  if (arg == "--") return Role::EndOfOptions;
  if (arg.size() < 2 || arg[0] != '-') return Role::File;  // "-" among them
  for (const ValuedOption& v : kValued) {
    if (arg == v.short_form || arg == v.long_form) return Role::OptionBeforeValue;
  }
  return Role::Option;
}

HeadsiftOptions misused(std::string_view culprit, std::string_view why) {
  HeadsiftOptions o;
  o.request = Request::Misused;
  o.culprit = culprit;
  o.why = why;
  return o;
}

// The valued option an argument is, its value within it if it holds one.
const ValuedOption* valued_option(std::string_view arg, std::optional<std::string_view>& within) {
  for (const ValuedOption& v : kValued) {
    if (arg == v.short_form || arg == v.long_form) return &v;
    if (arg.starts_with(v.long_form) && arg[v.long_form.size()] == '=') {
      within = arg.substr(v.long_form.size() + 1);
      return &v;
    }
    if (arg.starts_with(v.short_form) && !arg.starts_with("--")) {
      within = arg.substr(v.short_form.size());
      return &v;
    }
  }
  return nullptr;
}

// The switch an option sets, if it is one.
bool* flag_of(HeadsiftOptions& o, std::string_view arg) {
  if (arg == "--json") return &o.json;
  if (arg == "--csv") return &o.csv;
  if (arg == "--bom") return &o.bom;
  if (arg == "--decode") return &o.decode;
  return nullptr;
}

// The -f list's columns, or the misuse they are.
HeadsiftOptions with_columns(HeadsiftOptions o) {
  ColumnListResult list = parse_column_list(o.fields);
  if (list.error == ColumnListError::NoMemory) {
    o.request = Request::NoMemory;
    return o;
  }
  if (list.error != ColumnListError::None) {
    const std::string_view culprit = !list.culprit.empty() ? list.culprit
                                     : o.fields.empty()    ? "-f"
                                                           : o.fields;
    return misused(culprit, describe(list.error));
  }
  o.columns = std::move(list.list);
  o.request = Request::Rows;
  return o;
}

// Rows when a list was given, if its columns stand; the options that shape
// rows ask for one. Then, everything being in order, --help or --version.
HeadsiftOptions what_is_asked(HeadsiftOptions o, Request asked) {
  if (o.fields.data() == nullptr) {
    for (const auto& [given, name] : {std::pair{o.json, "--json"}, std::pair{o.csv, "--csv"},
                                      std::pair{o.bom, "--bom"}, std::pair{o.decode, "--decode"}}) {
      if (given) return misused(name, "only with -f");
    }
  } else {
    if (o.json && o.csv) return misused("--csv", "not with --json");
    if (o.bom && !o.csv) return misused("--bom", "only with --csv");
    o = with_columns(std::move(o));
    if (o.request == Request::Misused) return o;
  }
  if (asked != Request::Blocks) o.request = asked;
  return o;
}

// A valued option's value, from args[i] or the argument after it (i then
// moves on to it), into o; the misuse, if it is one.
std::optional<HeadsiftOptions> take_value(std::span<const char* const> args, std::size_t& i,
                                          HeadsiftOptions& o) {
  const std::string_view arg = args[i];
  std::optional<std::string_view> value;
  const ValuedOption* const option = valued_option(arg, value);
  if (option == nullptr) return misused(arg, "unknown option");
  if (!value) {
    if (i + 1 == args.size()) return misused(arg, option->missing);
    value = args[++i];
  }
  if ((o.*option->value).data() != nullptr) return misused(arg, option->twice);
  o.*option->value = *value;
  return std::nullopt;
}

}  // namespace

HeadsiftOptions read_options(std::span<const char* const> args) {
  HeadsiftOptions o;
  Request asked = Request::Blocks;  // by the first --help or --version, if any
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const Role role = role_of(arg);
    if (role == Role::EndOfOptions) break;
    if (role == Role::File) continue;
    if (arg == "--help" || arg == "--version") {
      if (asked == Request::Blocks) asked = arg == "--help" ? Request::Help : Request::Version;
      continue;
    }
    if (bool* const flag = flag_of(o, arg)) {
      *flag = true;
      continue;
    }
    if (std::optional<HeadsiftOptions> misuse = take_value(args, i, o)) return std::move(*misuse);
  }
  return what_is_asked(std::move(o), asked);
}

const char* FileArguments::next() {
  while (next_ < args_.size()) {
    const char* const arg = args_[next_++];
    if (options_ended_) return arg;
    switch (role_of(arg)) {
      case Role::File:
        return arg;
      case Role::EndOfOptions:
        options_ended_ = true;
        break;
      case Role::OptionBeforeValue:
        ++next_;  // its value
        break;
      case Role::Option:
        break;
    }
  }
  return nullptr;
}

}  // namespace fieldsift
