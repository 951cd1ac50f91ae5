#pragma once

// The values whose views headsift shows otherwise than its manual, and the
// rules the value parsers' own comments state, say; value_model.h keeps
// those rules. The property test and the fuzz target hold a column that
// shows one in an input to the cuts alone (its rows the same wherever the
// reads are cut), not to the model, until the program is put right:
// - In a group, a member that is no address ends the group: "Friends:
//   MAILER-DAEMON, a@x;" gives no address, where that member alone is to be
//   passed over and a@x given.
// - A domain literal's quoted-pairs lose their backslash: "x@[a\]b]" gives
//   x@[a]b], which is no addr-spec, where the domain is as written.
// - A group without a display name: ": a@b" gives a@b, where RFC 5322's
//   group begins with one, and a member that no grammar takes gives nothing.
// - A display name that begins with a dot: ".x <c@d>" gives c@d and the
//   name .x, where the obsolete phrase begins with a word.
// - A route that begins with a comma: "<,@a:x@y>" gives nothing, where the
//   obsolete route takes commas before its first domain; one of two domains
//   without a comma between them, "<@a@b:x@y>", gives x@y, where the route
//   has a comma after each domain but its last.
// - Msg-ids after a '<' that opens none: "<\"<q@r>\"" gives q@r, and
//   "<x(<q@r>)" too, where a '<' in a quoted string or a comment begins no id.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/row_model.h"
#include "support/value_model.h"

namespace fieldsift::model {

// Whether a '<' begins a route (up to its ':') with a comma, or holds two
// domains with no comma between them.
[[nodiscard]] inline bool disputed_route(const std::string& list) {
  for (std::size_t open = list.find('<'); open != std::string::npos;
       open = list.find('<', open + 1)) {
    const std::size_t first = past_cfws(list, open + 1);
    if (first < list.size() && list[first] == ',') return true;
    if (first == list.size() || list[first] != '@') continue;
    bool domain = false;  // an '@' stands since the last comma
    for (std::size_t i = first; i < list.size() && list[i] != ':' && list[i] != '>'; ++i) {
      if (list[i] == '@' && domain) return true;
      domain = list[i] == '@' || (domain && list[i] != ',');
    }
  }
  return false;
}

[[nodiscard]] inline bool disputed_address_list(const std::string& list) {
  const AddressList read = address_list(list);
  for (const PassedOver& p : read.passed_over) {
    const std::size_t first = past_cfws(p.text, 0);
    if (p.in_group || (first < p.text.size() && (p.text[first] == ':' || p.text[first] == '.')))
      return true;
  }
  for (const ListedMailbox& m : read.mailboxes) {
    if (m.addr_spec.find('\\', m.addr_spec.rfind('@')) != std::string::npos) return true;
  }
  return disputed_route(list);
}

[[nodiscard]] inline bool disputed_msg_ids(const std::string& value) {
  for (std::size_t open = value.find('<'); open != std::string::npos;
       open = value.find('<', open + 1)) {
    const std::size_t close = value.find('>', open);
    if (close != std::string::npos &&
        value.substr(open, close - open).find_first_of("\"(") != std::string::npos)
      return true;
  }
  return false;
}

// The columns of the argument, in its order and separated by commas, but
// for those that show a disputed value of a message of the input: empty if
// none is left.
[[nodiscard]] inline std::string undisputed_columns(std::string_view input,
                                                    std::string_view argument) {
  const Columns c = columns(argument);
  std::vector<std::string> names = c.names;
  names.insert(names.end(), {"references", "in-reply-to"});
  std::vector<bool> disputed(c.keys.size());
  for (const Message& m : messages(input)) {
    const std::vector<std::optional<std::string>> values = field_values(m.header, names);
    const auto ids = [&values](std::size_t i) { return values[i] && disputed_msg_ids(*values[i]); };
    const auto addresses = [&values](std::size_t i) {
      return values[i] && disputed_address_list(*values[i]);
    };
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
      const std::string& view = c.views[i];
      if ((view == "id" && ids(i)) || ((view == "addr" || view == "name") && addresses(i)) ||
          (view == "parent" && (ids(c.names.size()) || ids(c.names.size() + 1))))
        disputed[i] = true;
    }
  }
  std::string left;
  for (std::size_t i = 0; i < c.keys.size(); ++i) {
    if (!disputed[i]) left += (left.empty() ? "" : ",") + c.keys[i];
  }
  return left;
}

}  // namespace fieldsift::model
