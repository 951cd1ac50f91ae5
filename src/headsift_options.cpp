// SPDX-License-Identifier: BSD-2-Clause
#include "headsift_options.h"

#include <optional>

namespace fieldsift {
namespace {

// What an argument before "--" is.
enum class Role { File, EndOfOptions, Option, OptionBeforeValue };

Role role_of(std::string_view arg) {
  if (arg == "--") return Role::EndOfOptions;
  if (arg.size() < 2 || arg[0] != '-') return Role::File;  // "-" among them
  if (arg == "-f" || arg == "--fields") return Role::OptionBeforeValue;
  return Role::Option;
}

HeadsiftOptions misused(std::string_view culprit, std::string_view why) {
  HeadsiftOptions o;
  o.request = Request::Misused;
  o.culprit = culprit;
  o.why = why;
  return o;
}

constexpr std::string_view kLongFields = "--fields=";

// The list an option of its own argument carries: "-fLIST" or "--fields=LIST".
bool list_within(std::string_view arg, std::string_view& list) {
  if (arg.starts_with(kLongFields)) {
    list = arg.substr(kLongFields.size());
    return true;
  }
  if (arg.starts_with("-f") && !arg.starts_with("--")) {
    list = arg.substr(2);
    return true;
  }
  return false;
}

// An option that stands alone: --help, --version, --json or --decode.
// Answers whether arg is one.
bool took_flag(std::string_view arg, HeadsiftOptions& o, Request& asked) {
  if (arg == "--help" || arg == "--version") {
    if (asked == Request::Blocks) asked = arg == "--help" ? Request::Help : Request::Version;
    return true;
  }
  if (arg == "--json" || arg == "--decode") {
    (arg == "--json" ? o.json : o.decode) = true;
    return true;
  }
  return false;
}

// Which argument a refused list is reported by: the name at fault where
// one is, else the list, or the option itself for an empty one.
std::string_view culprit_of(const FieldListResult& refused, std::string_view list) {
  if (!refused.name.empty()) return refused.name;
  return list.empty() ? "-f" : list;
}

// Rows when a list was given, if its names stand; the options that shape
// rows ask for one. Then, everything being in order, --help or --version.
HeadsiftOptions what_is_asked(HeadsiftOptions o, std::optional<std::string_view> list,
                              Request asked) {
  if (list) {
    const FieldListResult names = parse_field_list(*list);
    if (names.error != FieldListError::None)
      return misused(culprit_of(names, *list), describe(names.error));
    o.fields = names.fields;
    o.request = Request::Rows;
  } else if (o.json || o.decode) {
    return misused(o.json ? "--json" : "--decode", "only with -f");
  }
  if (asked != Request::Blocks) o.request = asked;
  return o;
}

}  // namespace

HeadsiftOptions read_options(std::span<const char* const> args) {
  HeadsiftOptions o;
  std::optional<std::string_view> list;  // an -f's, as given
  Request asked = Request::Blocks;       // by the first --help or --version, if any
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const Role role = role_of(arg);
    if (role == Role::EndOfOptions) break;
    if (role == Role::File || took_flag(arg, o, asked)) continue;
    std::string_view given;
    if (role == Role::OptionBeforeValue) {
      if (i + 1 == args.size()) return misused(arg, "missing field list");
      given = args[++i];
    } else if (!list_within(arg, given)) {
      return misused(arg, "unknown option");
    }
    if (list) return misused(arg, "field list given twice");
    list = given;
  }
  return what_is_asked(o, list, asked);
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
