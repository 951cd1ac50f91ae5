#pragma once

// What headsift's views show of a value, worked out plainly on whole
// strings for the row model, the unit tests and the fuzz target: the
// instant of a date-time (NAME:iso, :epoch; date_model.h), the mailboxes of
// an address list (:addr, :name; address_model.h), and the msg-ids of a
// value (:id) and of a reply (:parent), here. Nothing here uses the
// program's own code.
//
// Msg-ids: each the text between a '<' that stands in no quoted string or
// comment and the next '>', trimmed of white space, neither empty nor
// holding white space, '<' or '>'; where it is none, the next '<' is
// looked for from the byte after this one. A value without '<' and '>'
// that is one token holding an '@', CFWS around it, is that id.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "support/address_model.h"
#include "support/date_model.h"
#include "support/lexical_model.h"

namespace fieldsift::model {

// The msg-ids of a Message-ID, In-Reply-To or References value, in order.
[[nodiscard]] inline std::vector<std::string> msg_ids(const std::string& value) {
  if (value.find_first_of("<>") == std::string::npos) {
    const std::size_t start = past_cfws(value, 0);
    std::size_t end = start;
    while (end < value.size() && !is_wsp(value[end]) && value[end] != '(') ++end;
    const std::string token = value.substr(start, end - start);
    if (past_cfws(value, end) != value.size() || token.find('@') == std::string::npos) return {};
    return {token};
  }
  std::vector<std::string> ids;
  for (std::size_t pos = 0; pos < value.size();) {
    if (value[pos] == '"' || value[pos] == '(') {
      const std::optional<Piece> p =
          value[pos] == '"' ? quoted_at(value, pos) : comment_at(value, pos);
      pos = p ? p->end : value.size();
      continue;
    }
    const std::size_t close = value[pos] == '<' ? value.find('>', pos + 1) : std::string::npos;
    if (close == std::string::npos) {
      ++pos;
      continue;
    }
    std::string id = value.substr(pos + 1, close - pos - 1);
    while (!id.empty() && is_wsp(id.back())) id.pop_back();
    id.erase(0, std::min(id.find_first_not_of(" \t"), id.size()));
    const bool good = !id.empty() && id.find_first_of(" \t<>") == std::string::npos;
    if (good) ids.push_back(id);
    pos = good ? close + 1 : pos + 1;
  }
  return ids;
}

// The id a message answers: the last of its References, else the first of
// its In-Reply-To; none if neither holds one.
[[nodiscard]] inline std::optional<std::string> parent_id(
    const std::optional<std::string>& references, const std::optional<std::string>& in_reply_to) {
  const std::vector<std::string> last = msg_ids(references.value_or(""));
  if (!last.empty()) return last.back();
  const std::vector<std::string> first = msg_ids(in_reply_to.value_or(""));
  if (!first.empty()) return first.front();
  return std::nullopt;
}

}  // namespace fieldsift::model
