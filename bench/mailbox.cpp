#include "mailbox.h"

#include "mail_text.h"

namespace fieldsift::bench {
namespace {

// Every kHugeEvery-th message, from the kHugeFirst-th on, ends in a line of
// 100 KB or more, so that even a small mailbox has a few.
constexpr std::uint64_t kHugeEvery = 1024;
constexpr std::uint64_t kHugeFirst = 100;

void append_received(Random& random, const MailDate& date, std::string& out) {
  out += "Received: from ";
  append_host(random, out);
  out += " (";
  append_host(random, out);
  out += " [";
  append_ip(random, out);
  out += "])\n\tby ";
  append_host(random, out);
  out += random.chance(50) ? " (Postfix) with ESMTP id " : " with ESMTPS id ";
  append_hex(random, out, 10);
  if (random.chance(70)) {
    out += "\n\tfor <";
    append_address(random, out);
    out += '>';
  }
  out += "; ";
  append_header_date(date, out);
  out += '\n';
}

// Mostly "Subject:", sometimes upper or lower case, rarely empty; a long one
// is sometimes folded onto continuation lines.
void append_subject(Random& random, std::string& out) {
  const std::size_t roll = random.below(100);
  out += roll < 5 ? "SUBJECT:" : roll < 10 ? "subject:" : "Subject:";
  if (random.chance(3)) {
    out += '\n';
    return;
  }
  out += random.chance(30) ? " Re: " : " ";
  append_words(random, out, random.between(6, 70));
  out += '\n';
  if (!random.chance(20)) return;
  for (std::size_t i = random.between(1, 2); i > 0; --i) {
    out += random.chance(80) ? " " : "\t";
    append_words(random, out, random.between(10, 60));
    out += '\n';
  }
}

void append_other_headers(Random& random, std::string& out) {
  out += "Message-ID: <";
  append_hex(random, out, 14);
  out += '.';
  append_hex(random, out, 6);
  out += "@example.com>\nMIME-Version: 1.0\n";
  if (random.chance(70)) {
    out += "Content-Type: text/plain; charset=us-ascii\n";
  } else {
    out += "Content-Type: multipart/alternative;\n\tboundary=\"----=_Part_";
    append_hex(random, out, 12);
    out += "\"\n";
  }
  if (random.chance(60)) out += "X-Mailer: Example Mail 4.2 (build 1187)\n";
  if (random.chance(40)) {
    out +=
        "X-Spam-Status: No, score=-2.6 required=5.0 tests=BAYES_00,\n"
        "\tDKIM_SIGNED,DKIM_VALID autolearn=ham version=3.4.6\n";
  }
  if (random.chance(20)) out += "X-Priority: 3 (Normal)\n";
}

}  // namespace

void MailboxGenerator::append_message(std::string& out) {
  ++messages_;
  append_headers(out);
  out += '\n';
  append_body(out);
  if (messages_ % kHugeEvery == kHugeFirst) append_huge_line(out);
  out += '\n';  // the empty line that ends each message of a mailbox
}

void MailboxGenerator::append_headers(std::string& out) {
  const MailDate date = random_date(random_);
  out += "From ";
  append_address(random_, out);
  out += ' ';
  append_separator_date(date, out);
  out += '\n';
  for (std::size_t hops = random_.between(2, 4); hops > 0; --hops)
    append_received(random_, date, out);
  out += "Date: ";
  append_header_date(date, out);
  out += "\nFrom: ";
  append_person(random_, out);
  out += '\n';
  append_recipients(random_, "To:", out);
  if (random_.chance(30)) append_recipients(random_, "Cc:", out);
  if (!random_.chance(2)) append_subject(random_, out);
  append_other_headers(random_, out);
}

void MailboxGenerator::append_body(std::string& out) {
  for (std::size_t paragraphs = random_.between(1, 5); paragraphs > 0; --paragraphs) {
    append_body_paragraph(random_, out);
    if (paragraphs > 1) out += '\n';
  }
  if (random_.chance(30)) {
    out += "-- \n";
    append_person(random_, out);
    out += '\n';
  }
}

// Turn by turn: an unbroken blob in the body, a selected body line of that
// length, and a selected continuation line of that length.
void MailboxGenerator::append_huge_line(std::string& out) {
  const std::size_t length = random_.between(100'000, 120'000);
  switch ((messages_ / kHugeEvery) % 3) {
    case 0:
      break;
    case 1:
      out += "Subject: ";
      break;
    default:
      out += "Subject: the whole attachment, unwrapped\n ";
      break;
  }
  append_blob(random_, out, length);
  out += '\n';
}

std::string make_mailbox(std::size_t bytes) {
  MailboxGenerator generator;
  std::string text;
  while (text.size() < bytes) generator.append_message(text);
  return text;
}

}  // namespace fieldsift::bench
