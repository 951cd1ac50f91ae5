#include "line_model.h"

namespace fieldsift::fuzz {
namespace {

bool is_white_space(char c) {
  return std::string_view("\t\n\v\f\r ").find(c) != std::string_view::npos;
}

char folded(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_name(std::string_view text, std::string_view name) {
  if (text.size() < name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (folded(text[i]) != folded(name[i])) return false;
  }
  return true;
}

std::string_view text_of(std::string_view line) { return line.substr(0, line.find('\0')); }

// Undoes the CR LF line ends of written output: the lines, each with a LF.
std::string without_crlf(std::string_view written) {
  std::string lines;
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n') continue;
    lines += written[i];
  }
  return lines;
}

// Whether the bytes of part other than LF appear in whole in the same order,
// each at most once, LF bytes of whole left out.
bool is_subsequence(std::string_view part, std::string_view whole) {
  std::size_t at = 0;
  for (const char c : part) {
    if (c == '\n') continue;
    at = whole.find(c, at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  return true;
}

}  // namespace

std::string delivered_text(std::string_view input) {
  const std::string_view text = input.substr(0, input.find('\x1a'));
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string selected_output(std::string_view name, const std::vector<std::string>& lines) {
  std::string out;
  bool printing = false;
  for (const std::string& line : lines) {
    const std::string_view text = text_of(line);
    bool write = false;
    if (text.empty()) {
      printing = false;
    } else if (text == "." || is_white_space(text[0])) {
      write = printing;
    } else {
      printing = starts_with_name(text, name);
      write = printing;
    }
    if (write) out.append(text).append("\r\n");
  }
  return out;
}

std::string with_crlf_line_ends(std::string_view text) {
  std::string out;
  for (const char c : text) out += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
  return out;
}

std::string crlf_input(std::string_view input) {
  std::string out;
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\n' && (i == 0 || input[i - 1] != '\r')) out += '\r';
    out += input[i];
  }
  return out;
}

bool plausible_output(std::string_view name, std::string_view input, std::string_view written) {
  if (!written.empty() && !written.ends_with("\r\n")) return false;
  const std::string lines = without_crlf(written);
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

}  // namespace fieldsift::fuzz
