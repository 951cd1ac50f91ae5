#pragma once

// What headsift must write for one input, worked out plainly from its rule a
// line at a time, for the unit property tests, the fuzz target and the golden
// cases. Nothing here uses the program's own code.
//
// The rule: an input's mail is what follows a UTF-8 byte order mark (EF BB
// BF) that opens it, or all of it; in an .emlx file, if the first line after
// that is a count (no more than 64 bytes before its LF: SP and TAB, decimal
// digits, SP and TAB), the mail is that many bytes after the line, or what
// there is. Mail whose first line begins "From " is a mailbox, any other one
// message. A message begins at the start of the mail and, in a mailbox, at
// each line that begins "From " outside a header; its header runs from its
// first line to its first empty line (nothing, or a lone CR, before the LF),
// which is written with it. Lines are copied as they are. Mail that ends
// inside a header gets a LF to end its last line if that has none, then a
// LF as the empty line. Offsets are of bytes in the input.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fieldsift::model {

// An input named *.emlx, any letter in either case, or any other.
enum class Form { Plain, Emlx };

struct Mail {
  std::string_view text;
  std::size_t start = 0;  // where it begins in the input
};

// The count an .emlx file's first line (without its LF) gives, if it is one;
// SIZE_MAX for one past that.
[[nodiscard]] inline std::optional<std::size_t> emlx_count(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (line.size() > 64 || first == std::string_view::npos) return std::nullopt;
  const std::string_view digits = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  std::size_t count = 0;
  for (const char c : digits) {
    const auto digit = static_cast<std::size_t>(c - '0');
    count = count > (SIZE_MAX - digit) / 10 ? SIZE_MAX : count * 10 + digit;
  }
  return count;
}

[[nodiscard]] inline Mail mail_of(std::string_view input, Form form) {
  const std::size_t start = input.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  const std::size_t lf = input.find('\n', start);
  if (form == Form::Emlx && lf != std::string_view::npos) {
    if (const std::optional<std::size_t> count = emlx_count(input.substr(start, lf - start)))
      return {input.substr(lf + 1, *count), lf + 1};
  }
  return {input.substr(start), start};
}

struct Message {
  std::size_t offset = 0;  // of its first byte in the input
  std::string header;      // as headsift writes it, its empty line included
};

[[nodiscard]] inline std::vector<Message> messages(std::string_view input,
                                                   Form form = Form::Plain) {
  const Mail mail = mail_of(input, form);
  const std::string_view text = mail.text;
  std::vector<Message> found;
  const bool mailbox = text.starts_with("From ");
  bool header = false;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    const std::string_view line = text.substr(start, end - start);  // its line end included
    if (start == 0 || (mailbox && !header && line.starts_with("From "))) {
      found.push_back({mail.start + start, ""});
      header = true;
    }
    if (header) {
      found.back().header += line;
      header = line != "\n" && line != "\r\n";
    }
    start = end;
  }
  if (header) {
    if (!text.ends_with('\n')) found.back().header += '\n';
    found.back().header += '\n';
  }
  return found;
}

[[nodiscard]] inline std::string header_blocks(std::string_view input, Form form = Form::Plain) {
  std::string out;
  for (const Message& m : messages(input, form)) out += m.header;
  return out;
}

}  // namespace fieldsift::model
