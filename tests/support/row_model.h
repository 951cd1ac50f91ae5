#pragma once

// What headsift writes with -f for one input, worked out plainly on whole
// strings from the messages of header_model.h, for the unit property tests
// and the fuzz target. Nothing here uses the program's own code.
//
// The rules: the argument "NAME[,NAME...]" names fields, each without the
// colon it may end with; it must name one at least, none empty, and none
// twice (the same ASCII letters without case, or the same JSON key), and
// none beginning with "=". A
// header's lines, each without its LF and a CR before that, end at the
// empty one. A field starts on a line that does not begin with SP or TAB,
// has a colon, and is not a first line beginning "From "; its name is what
// stands before the first colon with SP and TAB at its end dropped. Its
// value is the rest of that line followed by each line after it that begins
// with SP or TAB, SP and TAB then dropped from both ends; the first field
// of a name counts. A row: the input's name, the message's offset and each
// value, as TSV (\\ \t \r \n escaped in every column) or as one JSON object
// (always valid UTF-8: each byte that begins no well-formed sequence is
// U+FFFD).

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/header_model.h"

namespace fieldsift::model {

enum class Rows { Tsv, Json };

[[nodiscard]] inline char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] inline bool blank(char c) { return c == ' ' || c == '\t'; }

[[nodiscard]] inline std::string trimmed(std::string s) {
  while (!s.empty() && blank(s.back())) s.pop_back();
  std::size_t start = 0;
  while (start < s.size() && blank(s[start])) ++start;
  return s.substr(start);
}

// The code point of the well-formed UTF-8 sequence at text[i] and its
// length, worked out by arithmetic; 0 for the length if there is none.
struct Decoded {
  char32_t code = 0;
  std::size_t length = 0;
};

[[nodiscard]] inline Decoded decode_utf8(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  if (byte(0) < 0x80) return {byte(0), 1};
  const std::size_t length = byte(0) >= 0xF8   ? 0
                             : byte(0) >= 0xF0 ? 4
                             : byte(0) >= 0xE0 ? 3
                             : byte(0) >= 0xC0 ? 2
                                               : 0;
  if (length == 0 || i + length > text.size()) return {};
  char32_t code = byte(0) & (0x7FU >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0U) != 0x80) return {};
    code = code << 6U | (byte(k) & 0x3FU);
  }
  const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return {};
  return {code, length};
}

// A name as its JSON key reads, ASCII letters in one case.
[[nodiscard]] inline std::u32string key_of(std::string_view name) {
  std::u32string key;
  for (std::size_t i = 0; i < name.size();) {
    const Decoded d = decode_utf8(name, i);
    key += d.length == 0   ? U'\uFFFD'
           : d.code < 0x80 ? static_cast<char32_t>(lower(name[i]))
                           : d.code;
    i += d.length == 0 ? 1 : d.length;
  }
  return key;
}

// The names of an argument, or what is wrong with it.
struct FieldNames {
  std::vector<std::string> names;
  std::string error;
};

[[nodiscard]] inline FieldNames field_names(std::string_view argument) {
  if (argument.empty()) return {{}, "no field name given"};
  FieldNames r;
  for (std::size_t start = 0;;) {
    const std::size_t comma = std::min(argument.find(',', start), argument.size());
    std::string name(argument.substr(start, comma - start));
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.front())) name.erase(0, 1);
    while (!name.empty() && blank(name.back())) name.pop_back();
    if (name.ends_with(':')) name.pop_back();
    while (!name.empty() && blank(name.back())) name.pop_back();
    if (name.empty()) return {{}, "empty field name"};
    if (name.front() == '=') return {{}, "field name begins with \"=\": " + name};
    for (const std::string& earlier : r.names) {
      if (key_of(earlier) == key_of(name)) return {{}, "field named twice: " + name};
    }
    r.names.push_back(name);
    if (comma == argument.size()) return r;
    start = comma + 1;
  }
}

[[nodiscard]] inline bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Each named field's value in one header as headsift writes it; none where absent.
[[nodiscard]] inline std::vector<std::optional<std::string>> field_values(
    std::string_view header, const std::vector<std::string>& names) {
  std::vector<std::optional<std::string>> values(names.size());
  std::optional<std::size_t> open;  // the field that lines beginning with SP or TAB go on
  for (std::size_t start = 0, n = 0; start < header.size(); ++n) {
    const std::size_t lf = std::min(header.find('\n', start), header.size());
    std::string line(header.substr(start, lf - start));
    start = lf + 1;
    if (line.ends_with('\r')) line.pop_back();
    if (line.empty()) break;
    if (blank(line[0])) {
      if (open) *values[*open] += line;
      continue;
    }
    open.reset();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || (n == 0 && line.starts_with("From "))) continue;
    std::string name = line.substr(0, colon);
    while (!name.empty() && blank(name.back())) name.pop_back();
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (values[i] || !same_name(name, names[i])) continue;
      values[i] = line.substr(colon + 1);
      open = i;
    }
  }
  for (std::optional<std::string>& v : values) {
    if (v) v = trimmed(*v);
  }
  return values;
}

[[nodiscard]] inline std::string tsv_column(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

[[nodiscard]] inline std::string json_string(std::string_view text) {
  static const std::string_view kShort = "\b\f\n\r\t\"\\";
  static const std::string_view kShortAs = "bfnrt\"\\";
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const Decoded d = decode_utf8(text, i);
    if (kShort.find(text[i]) != std::string_view::npos) {
      out += '\\';
      out += kShortAs[kShort.find(text[i])];
    } else if (c < 0x20) {
      std::array<char, 7> escape{};
      std::snprintf(escape.data(), escape.size(), "\\u%04x", static_cast<unsigned>(c));
      out += escape.data();
    } else if (d.length == 0) {
      out += "\xEF\xBF\xBD";
    } else {
      out += text.substr(i, d.length);
    }
    i += d.length == 0 ? 1 : d.length;
  }
  return out + "\"";
}

[[nodiscard]] inline std::string row(Rows format, std::string_view input_name, std::size_t offset,
                                     const std::vector<std::string>& names,
                                     const std::vector<std::optional<std::string>>& values) {
  std::string out;
  if (format == Rows::Tsv) {
    out = tsv_column(input_name) + "\t" + std::to_string(offset);
    for (const std::optional<std::string>& v : values)
      out.append("\t").append(tsv_column(v.value_or("")));
    return out + "\n";
  }
  out = "{\"input\":" + json_string(input_name) + ",\"offset\":" + std::to_string(offset) +
        ",\"fields\":{";
  for (std::size_t i = 0; i < names.size(); ++i) {
    out.append(i > 0 ? "," : "").append(json_string(names[i])).append(":");
    out.append(values[i] ? json_string(*values[i]) : "null");
  }
  return out + "}}\n";
}

// Every row headsift -f writes for one input.
[[nodiscard]] inline std::string rows(Rows format, std::string_view input,
                                      std::string_view input_name,
                                      const std::vector<std::string>& names,
                                      Form form = Form::Plain) {
  std::string out;
  for (const Message& m : messages(input, form))
    out += row(format, input_name, m.offset, names, field_values(m.header, names));
  return out;
}

}  // namespace fieldsift::model
