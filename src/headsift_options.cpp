// SPDX-License-Identifier: BSD-2-Clause
#include "headsift_options.h"

#include <utility>

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

// The switch an option sets, if it is one.
bool* flag_of(HeadsiftOptions& o, std::string_view arg) {
  if (arg == "--json") return &o.json;
  if (arg == "--csv") return &o.csv;
  if (arg == "--bom") return &o.bom;
  if (arg == "--decode") return &o.decode;
  return nullptr;
}

// Rows when a list was given; the options that shape rows ask for one.
HeadsiftOptions what_is_asked(HeadsiftOptions o, bool listed) {
  if (!listed) {
    for (const auto& [asked, name] : {std::pair{o.json, "--json"}, std::pair{o.csv, "--csv"},
                                      std::pair{o.bom, "--bom"}, std::pair{o.decode, "--decode"}}) {
      if (asked) return misused(name, "only with -f");
    }
    return o;
  }
  if (o.json && o.csv) return misused("--csv", "not with --json");
  if (o.bom && !o.csv) return misused("--bom", "only with --csv");
  o.request = Request::Rows;
  return o;
}

}  // namespace

HeadsiftOptions read_options(std::span<const char* const> args) {
  HeadsiftOptions o;
  bool listed = false;  // an -f has given its list
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const Role role = role_of(arg);
    if (role == Role::EndOfOptions) break;
    if (role == Role::File) continue;
    if (arg == "--help" || arg == "--version") {
      o.request = arg == "--help" ? Request::Help : Request::Version;
      return o;
    }
    if (bool* const flag = flag_of(o, arg)) {
      *flag = true;
      continue;
    }
    std::string_view list;
    if (role == Role::OptionBeforeValue) {
      if (i + 1 == args.size()) return misused(arg, "missing field list");
      list = args[++i];
    } else if (!list_within(arg, list)) {
      return misused(arg, "unknown option");
    }
    if (listed) return misused(arg, "field list given twice");
    listed = true;
    o.fields = list;
  }
  return what_is_asked(o, listed);
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
