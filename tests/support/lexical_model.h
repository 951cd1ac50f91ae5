#pragma once

// The pieces of a structured header value that value_model.h's readers
// share, on whole strings: white space (SP and TAB), atext, comments
// ("(...)", nested, a backslash taking the byte after it) and quoted strings
// (the same escape), as RFC 5322 has them. Nothing here uses the program's
// own code.

#include <optional>
#include <string>
#include <string_view>

namespace fieldsift::model {

[[nodiscard]] inline bool is_wsp(char c) { return c == ' ' || c == '\t'; }
[[nodiscard]] inline bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
[[nodiscard]] inline bool is_ascii_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
[[nodiscard]] inline bool is_atext(char c) {
  return is_ascii_letter(c) || is_ascii_digit(c) || static_cast<unsigned char>(c) >= 0x80 ||
         std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

[[nodiscard]] inline std::string lower_case(std::string s) {
  for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return s;
}

// A comment's text, the parentheses of those nested in it and its escapes
// removed, and the position past it; none if the value ends first.
struct Piece {
  std::string text;
  std::size_t end = 0;
};

[[nodiscard]] inline std::optional<Piece> comment_at(const std::string& s, std::size_t open) {
  Piece p;
  int depth = 0;
  for (std::size_t i = open; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      p.text += s[++i];
    } else if (s[i] == '(') {
      ++depth;
    } else if (s[i] == ')') {
      if (--depth == 0) return Piece{p.text, i + 1};
    } else if (s[i] != '\\') {
      p.text += s[i];
    }
  }
  return std::nullopt;
}

// A quoted string's text, its quotes and escapes removed, and the position past it.
[[nodiscard]] inline std::optional<Piece> quoted_at(const std::string& s, std::size_t open) {
  Piece p;
  for (std::size_t i = open + 1; i < s.size(); ++i) {
    if (s[i] == '"') return Piece{p.text, i + 1};
    if (s[i] == '\\') ++i;
    if (i < s.size()) p.text += s[i];
  }
  return std::nullopt;
}

// Past the white space and comments from pos on; a comment that never
// closes takes the rest.
[[nodiscard]] inline std::size_t past_cfws(const std::string& s, std::size_t pos) {
  while (pos < s.size() && (is_wsp(s[pos]) || s[pos] == '(')) {
    const std::optional<Piece> c = s[pos] == '(' ? comment_at(s, pos) : Piece{"", pos + 1};
    pos = c ? c->end : s.size();
  }
  return pos;
}

}  // namespace fieldsift::model
