#pragma once

// The mailboxes of an address list, for value_model.h's :addr and :name,
// read by recursive descent over RFC 5322's grammar with its obsolete
// forms. Nothing here uses the program's own code.
//
// Members are separated by commas, empty ones among them. A member is a
// mailbox (an addr_spec, or [phrase] <[route] addr_spec>) or, outside a
// group, a group's "phrase :", whose members run to its ';'. Any other
// member, or a mailbox with more than CFWS after it, is passed over to the
// next comma (or ';' in a group) outside quoted strings and comments. An
// addr_spec is words joined by dots, '@', then atoms joined by dots or a
// [domain literal]; it is written without the CFWS around its dots, a
// quoted word quoted again with only '"' and '\' escaped, the domain's
// ASCII letters in lower case and a domain literal otherwise as it stands.
// A display name: the phrase's words (a quoted string's text, or a run of
// atext and dots that does not begin the phrase with a dot) joined by a
// space, then the comments from the member's start to the '>' in
// parentheses, joined by a space; in the addr_spec form the member's
// comments alone. A comment's text is without its escapes and the
// parentheses of those nested in it.

#include <optional>
#include <string>
#include <vector>

#include "support/lexical_model.h"

namespace fieldsift::model {

// A word of a local part, quoted again with only '"' and '\' escaped.
[[nodiscard]] inline std::string requoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

[[nodiscard]] inline std::string joined_by_space(const std::vector<std::string>& words) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) out += (i > 0 ? " " : "") + words[i];
  return out;
}

// A mailbox of an address list: its addr_spec as written out, and its display name.
struct ListedMailbox {
  std::string addr_spec;
  std::string name;
};

// Reads an address list's productions from pos on; each answers what it
// read, pos past it, or none (pos then anywhere).
struct ListReader {
  const std::string& s;
  std::size_t pos = 0;
  std::vector<std::string> comments;  // the texts of those met since the member's start

  [[nodiscard]] bool at(char c) const { return pos < s.size() && s[pos] == c; }

  // False if a comment never closes.
  [[nodiscard]] bool cfws() {
    while (pos < s.size() && (is_wsp(s[pos]) || s[pos] == '(')) {
      const std::optional<Piece> c = s[pos] == '(' ? comment_at(s, pos) : Piece{"", pos + 1};
      if (!c) return false;
      if (s[pos] == '(') comments.push_back(c->text);
      pos = c->end;
    }
    return true;
  }

  [[nodiscard]] std::string atom(bool dots) {
    const std::size_t start = pos;
    while (pos < s.size() && (is_atext(s[pos]) || (dots && s[pos] == '.'))) ++pos;
    return s.substr(start, pos - start);
  }

  // Words joined by dots, CFWS around each: a local part's (quoted words
  // allowed) or a domain's.
  [[nodiscard]] std::optional<std::string> dotted(bool local_part) {
    std::string out;
    for (;;) {
      if (!cfws()) return std::nullopt;
      if (local_part && at('"')) {
        const std::optional<Piece> q = quoted_at(s, pos);
        if (!q) return std::nullopt;
        out += requoted(q->text);
        pos = q->end;
      } else {
        const std::string a = atom(false);
        if (a.empty()) return std::nullopt;
        out += a;
      }
      if (!cfws()) return std::nullopt;
      if (!at('.')) return out;
      ++pos;
      out += '.';
    }
  }

  [[nodiscard]] std::optional<std::string> domain() {
    if (!cfws()) return std::nullopt;
    if (!at('[')) {
      const std::optional<std::string> d = dotted(false);
      return d ? std::optional(lower_case(*d)) : std::nullopt;
    }
    const std::size_t open = pos;
    for (++pos; pos < s.size() && s[pos] != ']' && s[pos] != '['; ++pos) {
      if (s[pos] == '\\') ++pos;
    }
    if (!at(']')) return std::nullopt;
    ++pos;
    const std::string literal = s.substr(open, pos - open);
    if (!cfws()) return std::nullopt;
    return lower_case(literal);
  }

  [[nodiscard]] std::optional<std::string> addr_spec() {
    const std::optional<std::string> local = dotted(true);
    if (!local || !at('@')) return std::nullopt;
    ++pos;
    const std::optional<std::string> d = domain();
    return d ? std::optional(*local + "@" + *d) : std::nullopt;
  }

  // The obsolete route before an addr_spec: ("," / CFWS)* "@" domain
  // ("," [CFWS] ["@" domain])* ":".
  [[nodiscard]] bool route() {
    while (at(',') || (pos < s.size() && (is_wsp(s[pos]) || s[pos] == '('))) {
      if (at(',')) ++pos;
      if (!cfws()) return false;
    }
    if (!at('@')) return false;
    ++pos;
    if (!domain()) return false;
    while (at(',')) {
      ++pos;
      if (!cfws()) return false;
      if (!at('@')) continue;
      ++pos;
      if (!domain()) return false;
    }
    if (!at(':')) return false;
    ++pos;
    return true;
  }

  [[nodiscard]] std::optional<std::string> angle_addr() {
    if (!cfws() || !at('<')) return std::nullopt;
    ++pos;
    if (!cfws()) return std::nullopt;
    if ((at('@') || at(',')) && !route()) return std::nullopt;
    const std::optional<std::string> a = addr_spec();
    if (!a || !at('>')) return std::nullopt;
    ++pos;
    return a;
  }

  // A phrase's words: a quoted string's text, or a run of atext and dots
  // that does not begin the phrase with a dot; none without a word.
  [[nodiscard]] std::optional<std::vector<std::string>> phrase() {
    std::vector<std::string> words;
    for (;;) {
      if (!cfws()) return std::nullopt;
      if (at('"')) {
        const std::optional<Piece> q = quoted_at(s, pos);
        if (!q) return std::nullopt;
        words.push_back(q->text);
        pos = q->end;
      } else if (pos < s.size() && (is_atext(s[pos]) || (at('.') && !words.empty()))) {
        words.push_back(atom(true));
      } else {
        break;
      }
    }
    if (words.empty()) return std::nullopt;
    return words;
  }

  [[nodiscard]] std::optional<ListedMailbox> name_addr() {
    const std::size_t start = pos;
    std::optional<std::vector<std::string>> words = phrase();
    if (!words) {
      pos = start;
      comments.clear();
      words.emplace();
    }
    const std::optional<std::string> a = angle_addr();
    if (!a) return std::nullopt;
    std::string name = joined_by_space(*words);
    if (!comments.empty()) name += (words->empty() ? "(" : " (") + joined_by_space(comments) + ")";
    return ListedMailbox{*a, name};
  }

  // A mailbox from a member's start, its comments not yet met.
  [[nodiscard]] std::optional<ListedMailbox> mailbox() {
    const std::size_t start = pos;
    if (const std::optional<std::string> a = addr_spec())
      return ListedMailbox{*a, joined_by_space(comments)};
    pos = start;
    comments.clear();
    return name_addr();
  }

  [[nodiscard]] bool group_start() {
    if (!phrase() || !cfws() || !at(':')) return false;
    ++pos;
    return true;
  }

  [[nodiscard]] bool member_ends(bool in_group) {
    return cfws() && (pos == s.size() || at(',') || (in_group && at(';')));
  }

  void skip_member(bool in_group) {
    while (pos < s.size() && !at(',') && !(in_group && at(';'))) {
      const std::optional<Piece> p = at('"')   ? quoted_at(s, pos)
                                     : at('(') ? comment_at(s, pos)
                                               : Piece{"", pos + 1};
      pos = p ? p->end : s.size();
    }
  }
};

// An address list as read: its mailboxes in order, those of its groups
// among them, and the members passed over as no address.
struct PassedOver {
  std::string text;
  bool in_group = false;
};

struct AddressList {
  std::vector<ListedMailbox> mailboxes;
  std::vector<PassedOver> passed_over;
};

[[nodiscard]] inline AddressList address_list(const std::string& list) {
  AddressList read;
  ListReader r{list, 0, {}};
  bool in_group = false;
  for (;;) {
    const std::size_t start = r.pos;
    r.comments.clear();
    const std::optional<ListedMailbox> m = r.mailbox();
    if (!m) {
      r.pos = start;
      if (!in_group && r.group_start()) {
        in_group = true;
        continue;
      }
      r.pos = start;
    }
    if (r.member_ends(in_group)) {
      if (m) read.mailboxes.push_back(*m);
    } else {
      r.pos = start;
      r.skip_member(in_group);
      read.passed_over.push_back({list.substr(start, r.pos - start), in_group});
    }
    if (r.pos >= list.size()) return read;
    if (list[r.pos] == ';') in_group = false;
    ++r.pos;
  }
}

[[nodiscard]] inline std::vector<ListedMailbox> mailboxes(const std::string& list) {
  return address_list(list).mailboxes;
}

}  // namespace fieldsift::model
