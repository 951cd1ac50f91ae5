#include <algorithm>
#include <cassert>

#include "mailbox.h"

namespace fieldsift::bench {
namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool begins_with_white_space(std::string_view line) {
  const char c = line[0];
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

ExpectedLines::ExpectedLines(std::string_view name) {
  for (const char c : name) folded_name_ += fold(c);
}

// Written as the rule reads, one case per kind of line, so that it shares no
// shortcut with the program it checks.
bool ExpectedLines::selects(std::string_view line) {
  if (line.empty()) {
    printing_ = false;
    return false;
  }
  if (line == "." || begins_with_white_space(line)) return printing_;
  printing_ = line.size() >= folded_name_.size();
  for (std::size_t i = 0; printing_ && i < folded_name_.size(); ++i)
    printing_ = fold(line[i]) == folded_name_[i];
  return printing_;
}

void ExpectedLines::feed(std::string_view text, std::string& out) {
  while (!text.empty()) {
    // A last line without its LF is a line all the same, as for the program.
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    assert(line.find('\0') == std::string_view::npos);
    if (selects(line)) {
      out += line;
      out += "\r\n";
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

}  // namespace fieldsift::bench
