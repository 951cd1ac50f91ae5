#pragma once

// What headsift must write for one input, worked out plainly from its rule a
// line at a time, for the unit property tests, the fuzz target and the golden
// cases. Nothing here uses the program's own code.
//
// The rule: a message begins at the start of the input and at each line that
// begins "From " outside a header; its header runs from its first line to
// its first empty line (nothing, or a lone CR, before the LF), which is
// written with it. Lines are copied as they are. An input that ends inside a
// header gets a LF to end its last line if that has none, then a LF as the
// empty line.

#include <string>
#include <string_view>

namespace fieldsift::model {

[[nodiscard]] inline std::string header_blocks(std::string_view input) {
  std::string out;
  bool header = true;
  for (std::size_t start = 0; start < input.size();) {
    const std::size_t lf = input.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? input.size() : lf + 1;
    const std::string_view line = input.substr(start, end - start);  // its line end included
    if (!header && line.starts_with("From ")) header = true;
    if (header) {
      out += line;
      header = line != "\n" && line != "\r\n";
    }
    start = end;
  }
  if (header && !input.empty()) {
    if (!input.ends_with('\n')) out += '\n';
    out += '\n';
  }
  return out;
}

}  // namespace fieldsift::model
