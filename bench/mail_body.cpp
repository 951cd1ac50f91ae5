#include <string>
#include <string_view>

#include "mail_text.h"

namespace fieldsift::bench {
namespace {

// Lines of words, each 20 to 100 bytes long, behind a fixed prefix.
void append_lines(Random& random, std::string_view prefix, std::size_t count, std::string& out) {
  for (std::size_t i = 0; i < count; ++i) {
    out += prefix;
    append_words(random, out, random.between(20, 100) - prefix.size());
    out += '\n';
  }
}

void append_quote(Random& random, std::string& out) {
  append_lines(random, "> ", random.between(1, 4), out);
  if (random.chance(40)) {
    out += "> Subject: ";
    append_words(random, out, random.between(10, 50));
    out += '\n';
  }
  if (random.chance(30)) append_lines(random, ">> ", random.between(1, 3), out);
  if (random.chance(10)) append_lines(random, ">From ", 1, out);
}

// A forwarded message's headers in the body: its "Subject:" line is selected,
// and so are the indented or "." lines right after it.
void append_forward(Random& random, std::string& out) {
  out += "-----Original Message-----\nFrom: ";
  append_person(random, out);
  out += "\nSent: ";
  append_header_date(random_date(random), out);
  out += '\n';
  append_recipients(random, "To:", out);
  out += "Subject: ";
  append_words(random, out, random.between(10, 60));
  out += '\n';
  if (random.chance(30)) out += ".\n";
  if (random.chance(30)) append_lines(random, "    ", random.between(1, 2), out);
  out += '\n';
  append_lines(random, "", random.between(1, 4), out);
}

}  // namespace

void append_body_paragraph(Random& random, std::string& out) {
  const std::size_t roll = random.below(100);
  if (roll < 60) {
    append_lines(random, "", random.between(1, 8), out);
  } else if (roll < 75) {
    append_quote(random, out);
  } else if (roll < 83) {
    append_lines(random, random.chance(50) ? "    " : "\t", random.between(1, 5), out);
  } else if (roll < 88) {
    append_forward(random, out);
  } else if (roll < 89) {
    append_blob(random, out, random.between(1000, 6000));
    out += '\n';
  } else if (roll < 93) {
    out += random.chance(80) ? ".\n" : "\f\n";
  } else {
    out += "Subject: ";
    append_words(random, out, random.between(10, 80));
    out += '\n';
    if (random.chance(50)) append_lines(random, " ", 1, out);
  }
}

}  // namespace fieldsift::bench
