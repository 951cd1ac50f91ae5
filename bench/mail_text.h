#pragma once

// The pieces that mail text is made of: words, names, hosts and dates, each
// drawn from small fixed tables, and the paragraphs of a body.

#include <cstddef>
#include <string>
#include <string_view>

#include "mailbox.h"

namespace fieldsift::bench {

// Words and punctuation until at least `length` bytes have been added.
void append_words(Random& random, std::string& out, std::size_t length);

// "first.last@domain".
void append_address(Random& random, std::string& out);

// "First Last <first.last@domain>", or a bare address.
void append_person(Random& random, std::string& out);

// A header line such as "To: a, b" with one to four people; a list of
// several is often folded, one to a line.
void append_recipients(Random& random, std::string_view field, std::string& out);

// A host name such as "mx7.example.net".
void append_host(Random& random, std::string& out);

// "192.0.2.14", from the documentation ranges.
void append_ip(Random& random, std::string& out);

// `count` upper-case hex digits, as in queue ids and message ids.
void append_hex(Random& random, std::string& out, std::size_t count);

// `count` base64 characters without a break, as in an unwrapped attachment.
void append_blob(Random& random, std::string& out, std::size_t count);

// One moment, written in the shapes mail uses.
struct MailDate {
  std::size_t weekday, month, day, hour, minute, second, year, zone;
};
[[nodiscard]] MailDate random_date(Random& random);
// "Mon, 3 Jan 2005 10:22:11 +0000", as in Date: and Received:.
void append_header_date(const MailDate& date, std::string& out);
// "Mon Jan  3 10:22:11 2005", as in the mbox "From " separator.
void append_separator_date(const MailDate& date, std::string& out);

// One paragraph of a message body, its lines ending in LF: plain lines of 20
// to 100 bytes, a quote, an indented block, a forwarded message's headers, a
// long base64 line, a lone "." or form feed, or a body line "Subject: ...".
void append_body_paragraph(Random& random, std::string& out);

}  // namespace fieldsift::bench
