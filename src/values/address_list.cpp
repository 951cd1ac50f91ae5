// SPDX-License-Identifier: BSD-2-Clause
#include "values/address_list.h"

#include <array>
#include <cstring>

#include "values/lexical.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;
using End = std::optional<std::size_t>;  // where a production ends; none if it is not there

bool at(Bytes bytes, std::size_t pos, unsigned char c) {
  return pos < bytes.size() && bytes[pos] == c;
}

// 1*atext
End atom(Bytes bytes, std::size_t pos) {
  const std::size_t end = run_end(bytes, pos, kAtext);
  if (end == pos) return std::nullopt;
  return end;
}

// atom / quoted-string
End word(Bytes bytes, std::size_t pos) {
  if (at(bytes, pos, '"')) return quoted_string_end(bytes, pos);
  return atom(bytes, pos);
}

// "[" *dtext "]", a quoted-pair among dtext as obs-dtext allows.
End domain_literal(Bytes bytes, std::size_t pos) {
  for (++pos; pos < bytes.size(); ++pos) {
    if (bytes[pos] == ']') return pos + 1;
    if (bytes[pos] == '[') return std::nullopt;
    if (bytes[pos] == kQuotedPair) ++pos;
  }
  return std::nullopt;
}

// The end of a dot-atom-text at pos (atoms one dot apart) that neither
// white space, a comment nor a dot follows: the end the reading below finds
// for it, nearly every local part and domain is one. None for any other.
End plain_dot_atom(Bytes bytes, std::size_t pos) {
  for (;;) {
    const std::size_t start = pos;
    pos = run_end(bytes, pos, kAtext);
    if (pos == start) return std::nullopt;
    if (pos == bytes.size()) return pos;
    const unsigned char c = bytes[pos];
    if (c != '.') return is_blank(c) || c == '(' ? std::nullopt : End(pos);
    ++pos;
  }
}

// [CFWS] part *([CFWS] "." [CFWS] part) [CFWS]: obs-local-part and
// obs-domain, of which dot-atom is the case without CFWS.
template <typename Part>
End dotted(Bytes bytes, std::size_t pos, Part part) {
  if (const End plain = plain_dot_atom(bytes, pos)) return plain;
  for (;;) {
    const End start = cfws_end(bytes, pos);
    const End end = start ? part(bytes, *start) : std::nullopt;
    if (!end) return std::nullopt;
    const End after = cfws_end(bytes, *end);
    if (!after || !at(bytes, *after, '.')) return after;
    pos = *after + 1;
  }
}

End local_part(Bytes bytes, std::size_t pos) { return dotted(bytes, pos, word); }

End domain(Bytes bytes, std::size_t pos) {
  const End start = cfws_end(bytes, pos);
  if (!start || !at(bytes, *start, '[')) return dotted(bytes, pos, atom);
  const End end = domain_literal(bytes, *start);
  return end ? cfws_end(bytes, *end) : std::nullopt;
}

// obs-phrase: words, CFWS, and dots after the first word, a dot joined to
// the atext it touches, as Python reads it. It may be empty; it begins with
// no dot.
End phrase(Bytes bytes, std::size_t pos) {
  for (bool first = true;; first = false) {
    const End start = cfws_end(bytes, pos);
    if (!start) return std::nullopt;
    pos = *start;
    if (first && at(bytes, pos, '.')) return std::nullopt;
    if (at(bytes, pos, '"')) {
      const End end = quoted_string_end(bytes, pos);
      if (!end) return std::nullopt;
      pos = *end;
      continue;
    }
    const std::size_t run = pos;
    pos = run_end(bytes, pos, kAtextOrDot);
    if (pos == run) return pos;
  }
}

// local-part "@" domain
End addr_spec(Bytes bytes, std::size_t pos, Mailbox& mailbox) {
  const End local_end = local_part(bytes, pos);
  if (!local_end || !at(bytes, *local_end, '@')) return std::nullopt;
  const End end = domain(bytes, *local_end + 1);
  if (!end) return std::nullopt;
  mailbox.local_part = bytes.subspan(pos, *local_end - pos);
  mailbox.domain = bytes.subspan(*local_end + 1, *end - *local_end - 1);
  return end;
}

// obs-route: obs-domain-list ":", where obs-domain-list is
// *(CFWS / ",") "@" domain *("," [CFWS] ["@" domain]), from its first "@":
// a comma after each domain but the last. The route is dropped.
End obs_route(Bytes bytes, std::size_t pos) {
  for (;;) {
    End end = domain(bytes, pos + 1);
    bool comma = false;
    while (end && at(bytes, *end, ',')) {
      comma = true;
      end = cfws_end(bytes, *end + 1);
    }
    if (!end) return std::nullopt;
    if (at(bytes, *end, ':')) return *end + 1;
    if (!comma || !at(bytes, *end, '@')) return std::nullopt;
    pos = *end;
  }
}

// "<" [CFWS] [obs-route] addr_spec ">": just past the ">". A route may
// have commas before its first domain.
End angle_addr(Bytes bytes, std::size_t pos, Mailbox& mailbox) {
  End start = cfws_end(bytes, pos + 1);
  End route = start;
  while (route && at(bytes, *route, ',')) route = cfws_end(bytes, *route + 1);
  if (route && at(bytes, *route, '@')) {
    start = obs_route(bytes, *route);
  } else if (route != start) {
    return std::nullopt;  // commas, and no route after them
  }
  const End end = start ? addr_spec(bytes, *start, mailbox) : std::nullopt;
  if (!end || !at(bytes, *end, '>')) return std::nullopt;
  return *end + 1;
}

// The kinds of byte the plain forms below are read by, bits of one table.
constexpr unsigned char kWordByte = 1;  // atext
constexpr unsigned char kDotOrAt = 2;   // '.' or '@', with atext on both sides
constexpr unsigned char kAtSign = 4;
constexpr unsigned char kSpace = 8;
constexpr unsigned char kOtherByte = 16;
constexpr std::array<unsigned char, 256> kPlainKinds = [] {
  std::array<unsigned char, 256> kinds{};
  for (std::size_t c = 0; c < kinds.size(); ++c) kinds[c] = kAtext[c] ? kWordByte : kOtherByte;
  kinds['.'] = kDotOrAt;
  kinds['@'] = kDotOrAt | kAtSign;
  kinds[' '] = kSpace;
  return kinds;
}();

// What the plain forms need to know of a run of bytes: the kinds among
// them, the kinds two bytes side by side both are, and the last byte's
// (first as if a byte of kind before came before them); the count of '@'
// as so many kAtSign. Each byte is looked at the same way, whatever it is:
// a branch on where a dot or space falls would be mispredicted as often as not.
struct PlainKinds {
  unsigned seen = 0;
  unsigned twice = 0;
  unsigned last;
  std::size_t ats = 0;
};

// Not inline: in its own frame the loop keeps all it counts in registers.
[[gnu::noinline]] PlainKinds plain_kinds(Bytes bytes, unsigned before) {
  PlainKinds kinds{0, 0, before, 0};
  for (const unsigned char c : bytes) {
    const unsigned kind = kPlainKinds[c];
    kinds.seen |= kind;
    kinds.twice |= kinds.last & kind;
    kinds.last = kind;
    kinds.ats += kind & kAtSign;
  }
  return kinds;
}

// Where the '@' is of bytes that are two dot-atoms with an '@' between them,
// if they are.
std::optional<std::size_t> plain_addr_spec(Bytes bytes) {
  const PlainKinds kinds = plain_kinds(bytes, kDotOrAt);  // none may begin
  if ((kinds.seen & (kSpace | kOtherByte)) != 0 || ((kinds.twice | kinds.last) & kDotOrAt) != 0 ||
      kinds.ats != kAtSign)
    return std::nullopt;
  return static_cast<std::size_t>(
      static_cast<const unsigned char*>(std::memchr(bytes.data(), '@', bytes.size())) -
      bytes.data());
}

// Whether bytes are words of atext, each with one SP after it: the display
// name the plain name-addr form has before its '<'.
bool plain_phrase(Bytes bytes) {
  const PlainKinds kinds = plain_kinds(bytes, kSpace);  // none may begin
  return !bytes.empty() && (kinds.seen & (kDotOrAt | kOtherByte)) == 0 &&
         (kinds.twice & kSpace) == 0 && (kinds.last & kSpace) != 0;
}

// The two forms nearly every mailbox has, `local@domain` and `Name Name
// <local@domain>` (dot-atoms each side, words one space apart), read in one
// pass as the full reading reads them; none for any other.
std::optional<Mailbox> common_mailbox(Bytes list) {
  Mailbox mailbox;
  Bytes address = list;
  if (!list.empty() && list.back() == '>') {
    const auto* const open_at =
        static_cast<const unsigned char*>(std::memchr(list.data(), '<', list.size()));
    if (open_at == nullptr) return std::nullopt;
    const auto open = static_cast<std::size_t>(open_at - list.data());
    if (!plain_phrase(list.first(open))) return std::nullopt;
    mailbox.name_addr = true;
    mailbox.phrase = list.first(open);
    address = list.subspan(open + 1, list.size() - open - 2);
  }
  const std::optional<std::size_t> at_sign = plain_addr_spec(address);
  if (!at_sign) return std::nullopt;
  mailbox.local_part = address.first(*at_sign);
  mailbox.domain = address.subspan(*at_sign + 1);
  mailbox.commented = list;
  mailbox.plain = true;
  return mailbox;
}

}  // namespace

std::optional<Mailbox> MailboxReader::next() {
  if (pos_ == 0 && !in_group_) {
    if (std::optional<Mailbox> mailbox = common_mailbox(list_)) {
      pos_ = list_.size();
      return mailbox;
    }
  }
  while (pos_ < list_.size()) {
    // A member begins at pos_, its comments before it included.
    const End start = cfws_end(list_, pos_);
    if (!start || *start == list_.size()) break;
    if (list_[*start] == ',' || (in_group_ && list_[*start] == ';')) {
      if (list_[*start] == ';') in_group_ = false;
      pos_ = *start + 1;
      continue;
    }
    if (std::optional<Mailbox> mailbox = member(pos_)) {
      pos_ += mailbox->commented.size();
      return mailbox;
    }
    // A group begins with its display name and ':'; no group holds
    // another. Any other member that is no address is passed over.
    if (!in_group_) {
      const End colon = phrase(list_, pos_);
      if (colon && *colon > *start && at(list_, *colon, ':')) {
        in_group_ = true;
        pos_ = *colon + 1;
        continue;
      }
    }
    pos_ = junk_end(pos_);
  }
  pos_ = list_.size();
  return std::nullopt;
}

// mailbox = name-addr / addr_spec, from start to the comma or the group's
// ';' that ends it.
std::optional<Mailbox> MailboxReader::member(std::size_t start) const {
  Mailbox mailbox;
  const End words = phrase(list_, start);
  if (!words) return std::nullopt;
  End end;
  if (at(list_, *words, '<')) {
    mailbox.name_addr = true;
    mailbox.phrase = list_.subspan(start, *words - start);
    end = angle_addr(list_, *words, mailbox);
    if (end) mailbox.commented = list_.subspan(start, *end - start);
    if (end) end = cfws_end(list_, *end);
  } else if (at(list_, *words, '@')) {
    end = addr_spec(list_, start, mailbox);
    if (end) mailbox.commented = list_.subspan(start, *end - start);
  }
  if (!end || !ends_member(*end)) return std::nullopt;
  return mailbox;
}

bool MailboxReader::ends_member(std::size_t pos) const {
  return pos == list_.size() || list_[pos] == ',' || (in_group_ && list_[pos] == ';');
}

// Past a member that is no address, up to the comma (or the group's ';')
// after it; quoted strings and comments taken whole, to the end of the list
// if they never close.
std::size_t MailboxReader::junk_end(std::size_t start) const {
  std::size_t pos = start;
  while (pos < list_.size() && !ends_member(pos)) {
    if (list_[pos] == '"') {
      pos = quoted_string_end(list_, pos).value_or(list_.size());
    } else if (list_[pos] == '(') {
      pos = comment_end(list_, pos).value_or(list_.size());
    } else {
      ++pos;
    }
  }
  return pos;
}

}  // namespace fieldsift
