#pragma once

// What headsift must write for one input, worked out plainly from its rule a
// line at a time, for the unit property tests, the fuzz target and the golden
// cases. Nothing here uses the program's own code.
//
// The rule: an input whose first line begins "From " is a mailbox, any other
// input one message. A message begins at the start of the input and, in a
// mailbox, at each line that begins "From " outside a header; its header runs
// from its first line to its first empty line (nothing, or a lone CR, before
// the LF), which is written with it. Lines are copied as they are. An input
// that ends inside a header gets a LF to end its last line if that has none,
// then a LF as the empty line.

#include <string>
#include <string_view>
#include <vector>

namespace fieldsift::model {

struct Message {
  std::size_t offset = 0;  // of its first byte in the input
  std::string header;      // as headsift writes it, its empty line included
};

[[nodiscard]] inline std::vector<Message> messages(std::string_view input) {
  std::vector<Message> found;
  const bool mailbox = input.starts_with("From ");
  bool header = false;
  for (std::size_t start = 0; start < input.size();) {
    const std::size_t lf = input.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? input.size() : lf + 1;
    const std::string_view line = input.substr(start, end - start);  // its line end included
    if (start == 0 || (mailbox && !header && line.starts_with("From "))) {
      found.push_back({start, ""});
      header = true;
    }
    if (header) {
      found.back().header += line;
      header = line != "\n" && line != "\r\n";
    }
    start = end;
  }
  if (header) {
    if (!input.ends_with('\n')) found.back().header += '\n';
    found.back().header += '\n';
  }
  return found;
}

[[nodiscard]] inline std::string header_blocks(std::string_view input) {
  std::string out;
  for (const Message& m : messages(input)) out += m.header;
  return out;
}

}  // namespace fieldsift::model
