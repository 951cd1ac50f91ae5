// SPDX-License-Identifier: BSD-2-Clause
#include "rows/views.h"

#include <optional>

#include "bytes/bytes_of.h"
#include "values/address_list.h"
#include "values/date_time.h"
#include "values/msg_ids.h"

namespace fieldsift {
namespace {

CellKind show_date(View view, std::span<const unsigned char> value, ByteVector& out,
                   std::int64_t& number) {
  const std::optional<std::int64_t> seconds = parse_date_time(value);
  if (!seconds) return CellKind::Absent;
  if (view == View::Epoch) {
    number = *seconds;
    return CellKind::Number;
  }
  IsoDateTimeText text{};
  (void)out.append(bytes_of(format_iso_date_time(*seconds, text)));
  return CellKind::Text;
}

CellKind show_addresses(std::span<const unsigned char> value, ByteVector& out) {
  MailboxReader mailboxes(value);
  for (std::optional<Mailbox> m = mailboxes.next(); m; m = mailboxes.next()) {
    const std::size_t start = begin_item(out);
    (void)append_addr_spec(*m, out);  // a refusal shows in out.failed()
    end_item(out, start);
  }
  return CellKind::List;
}

// The first mailbox's display name; none where it has none.
CellKind show_name(std::span<const unsigned char> value, ByteVector& out) {
  const std::optional<Mailbox> first = MailboxReader(value).next();
  if (!first) return CellKind::Absent;
  const std::size_t start = out.size();
  (void)append_display_name(*first, out);  // a refusal shows in out.failed()
  return out.size() > start ? CellKind::Text : CellKind::Absent;
}

CellKind show_ids(std::span<const unsigned char> value, ByteVector& out) {
  MsgIdReader ids(value);
  for (std::optional<std::span<const unsigned char>> id = ids.next(); id; id = ids.next())
    append_item(out, *id);
  return CellKind::List;
}

}  // namespace

CellKind show_view(View view, std::span<const unsigned char> value, ByteVector& out,
                   std::int64_t& number) {
  switch (view) {
    case View::Iso:
    case View::Epoch:
      return show_date(view, value, out, number);
    case View::Addresses:
      return show_addresses(value, out);
    case View::Name:
      return show_name(value, out);
    case View::Ids:
      return show_ids(value, out);
    case View::Raw:
    case View::Size:
    case View::Parent:
      break;
  }
  return CellKind::Absent;
}

CellKind show_parent(std::span<const unsigned char> references,
                     std::span<const unsigned char> in_reply_to, ByteVector& out) {
  const std::optional<std::span<const unsigned char>> parent = parent_id(references, in_reply_to);
  if (!parent) return CellKind::Absent;
  (void)out.append(*parent);
  return CellKind::Text;
}

}  // namespace fieldsift
