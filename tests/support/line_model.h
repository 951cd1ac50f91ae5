#pragma once

// What the program must write, worked out plainly from its rules, one byte
// and one line at a time. This is the one statement of the rules that the
// unit property tests, the fuzz targets, the end-to-end golden cases and the
// benchmarks' output check hold the program against; nothing here uses the
// program's own code, so no shortcut of the program's can hide in it.
//
// The rules: a pipe or disk file delivers its bytes up to the first 0x1A,
// each CR LF pair read as one LF; the text is cut into lines at each LF; a
// line's text ends at its first NUL. A line whose text starts with the name
// (A-Z and a-z alike) starts printing, any other text but "." or one that
// begins with white space stops it, and so does an empty line; a line is
// written, its text and CR LF, while printing.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace fieldsift::model {

// Tab, LF, VT, FF, CR and space: what a continuation line begins with.
[[nodiscard]] inline bool is_white_space(char c) {
  return std::string_view("\t\n\v\f\r ").find(c) != std::string_view::npos;
}

[[nodiscard]] inline char folded(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] inline bool starts_with_name(std::string_view text, std::string_view name) {
  if (text.size() < name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (folded(text[i]) != folded(name[i])) return false;
  }
  return true;
}

// A line's text: what comes before its first NUL.
[[nodiscard]] inline std::string_view text_of(std::string_view line) {
  return line.substr(0, line.find('\0'));
}

// Each CR that comes right before a LF dropped: CR LF line ends read as LF.
[[nodiscard]] inline std::string without_cr_before_lf(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

// The text a pipe or disk file delivers: the input up to its first 0x1A,
// its CR LF line ends read as LF.
[[nodiscard]] inline std::string delivered_text(std::string_view input) {
  return without_cr_before_lf(input.substr(0, input.find('\x1a')));
}

// The lines of delivered text without their line feeds, NUL bytes kept; no
// empty line after a final line feed.
[[nodiscard]] inline std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The selection, a line at a time, as a run goes through its input.
class FieldSelection {
 public:
  explicit FieldSelection(std::string_view name) : name_(name) {}

  // Whether the line (without its line feed) is written; moves the state.
  [[nodiscard]] bool selects(std::string_view line) {
    const std::string_view text = text_of(line);
    if (text.empty()) {
      printing_ = false;  // an empty line ends a field and is never written
    } else if (text != "." && !is_white_space(text[0])) {
      printing_ = starts_with_name(text, name_);  // a field starts: this one or another
    }
    return printing_;  // a "." or a continuation goes with the field it is in
  }

  // Appends what is written for the line: its text and CR LF, or nothing.
  void feed(std::string_view line, std::string& out) {
    if (selects(line)) out.append(text_of(line)).append("\r\n");
  }

  // Feeds each line of delivered text in turn; the last may lack its LF.
  void feed_text(std::string_view text, std::string& out) {
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      feed(text.substr(start, end - start), out);
      start = end + 1;
    }
  }

 private:
  std::string name_;
  bool printing_ = false;
};

// What the program writes for these lines.
[[nodiscard]] inline std::string selected_output(std::string_view name,
                                                 const std::vector<std::string>& lines) {
  FieldSelection selection(name);
  std::string out;
  for (const std::string& line : lines) selection.feed(line, out);
  return out;
}

// What the program writes for input from a pipe or disk file, however the
// reads are cut.
[[nodiscard]] inline std::string expected_output(std::string_view name, std::string_view input) {
  std::string out;
  FieldSelection(name).feed_text(delivered_text(input), out);
  return out;
}

// Every LF as CR LF, as text mode hands it to the system. A line at a time,
// as the tests build megabytes of expected output with it.
[[nodiscard]] inline std::string with_crlf_line_ends(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    out.append(text.substr(start, end - start));
    if (end < text.size()) out.append("\r\n");
    start = end + 1;
  }
  return out;
}

// The input with each LF that has no CR before it turned into CR LF: the
// input's CR LF twin, which must give the same output.
[[nodiscard]] inline std::string crlf_input(std::string_view input) {
  std::string out;
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\n' && (i == 0 || input[i - 1] != '\r')) out += '\r';
    out += input[i];
  }
  return out;
}

// Whether the bytes of part other than LF appear in whole in the same order,
// each at most once, LF bytes of whole left out.
[[nodiscard]] inline bool is_subsequence(std::string_view part, std::string_view whole) {
  std::size_t at = 0;
  for (const char c : part) {
    if (c == '\n') continue;
    at = whole.find(c, at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  return true;
}

// Whether written output could have come from this input at all: lines of
// text in input order, none empty, none holding NUL or 0x1A, each ending in
// CR LF, and every field start among them starting with the name. Holds
// however the reads were cut, so it is all that can be checked where a
// device's 0x1A, which drops only the rest of its read, makes the exact
// output depend on the cuts.
[[nodiscard]] inline bool plausible_output(std::string_view name, std::string_view input,
                                           std::string_view written) {
  if (!written.empty() && !written.ends_with("\r\n")) return false;
  const std::string lines = without_cr_before_lf(written);
  // A device ends a line where a read begins with 0x1A, so line ends are
  // not compared: only the bytes of the lines, in order, none doubled.
  if (!is_subsequence(lines, input)) return false;
  for (const std::string& line : lines_of(lines)) {
    if (line.empty() || line.find_first_of(std::string_view("\0\x1a", 2)) != std::string::npos)
      return false;
    if (line != "." && !is_white_space(line[0]) && !starts_with_name(line, name)) return false;
  }
  return true;
}

}  // namespace fieldsift::model
