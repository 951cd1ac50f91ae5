// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "bytes/byte_vector.h"

namespace fieldsift {

// One mailbox of an address list: where its parts lie in the list.
struct Mailbox {
  std::span<const unsigned char> local_part;  // as written, CFWS around its dots included
  std::span<const unsigned char> domain;      // as written
  // In the name-addr form, the display name before '<' as written; empty in
  // the addr_spec form.
  std::span<const unsigned char> phrase;
  // From the mailbox's start to its end, or to the '>' of its angle-addr:
  // the comments its display name takes.
  std::span<const unsigned char> commented;
  bool name_addr = false;
  // The local part and the domain are dot-atoms, nothing around them: they
  // are written as they stand (the domain in lower case).
  bool plain = false;
};

// Reads the mailboxes of an address list (a From, To, Cc or Reply-To value)
// in order, the mailboxes of a group among them; the group's name is dropped.
// The list is RFC 5322's address-list with its obsolete forms: empty
// members, a route before an addr_spec (`<@a,@b:x@y>`), CFWS around the
// dots of a local part or a domain, dots in a display name.
//
// A member that is no address (a name without an addr_spec, `MAILER-DAEMON`,
// an unclosed quoted string or comment or angle-addr) is passed over up to
// the next comma, and so is a mailbox with anything but CFWS after it before
// the comma (`a@b <a@b>`): which of two is meant no rule says. The list
// must outlive the reader and its mailboxes.
class MailboxReader {
 public:
  explicit MailboxReader(std::span<const unsigned char> list) : list_(list) {}

  // The next mailbox; none after the last.
  [[nodiscard]] std::optional<Mailbox> next();

 private:
  [[nodiscard]] std::optional<Mailbox> member(std::size_t start) const;
  [[nodiscard]] std::size_t junk_end(std::size_t start) const;
  [[nodiscard]] bool ends_member(std::size_t pos) const;

  std::span<const unsigned char> list_;
  std::size_t pos_ = 0;    // pos_ <= list_.size(); the members before it are read
  bool in_group_ = false;  // pos_ lies after a group's ':' and before its ';'
};

// Appends the mailbox's addr_spec: its local part as written but for the
// CFWS around its dots, a quoted string in it quoted again with only '"' and
// '\' escaped; '@'; the domain with its ASCII letters in lower case (a
// domain literal's too). False if out refused to grow; it then holds what it
// held before, and its failure stays set.
[[nodiscard]] bool append_addr_spec(const Mailbox& mailbox, ByteVector& out);

// Appends the mailbox's display name, as Python's email package gives it:
// the words of the phrase joined by one space, quoted strings without their
// quotes and escapes, then the comments from the mailbox's start to its '>'
// in parentheses; in the addr_spec form (`a@b (Name)`) its comments alone.
// A comment's text is without the parentheses of comments nested in it.
// Comments are joined by a space. False as for append_addr_spec.
[[nodiscard]] bool append_display_name(const Mailbox& mailbox, ByteVector& out);

}  // namespace fieldsift
