#pragma once

// What headsift writes with -f for one input, worked out plainly on whole
// strings from the messages of header_model.h, for the unit property tests
// and the fuzz target. Nothing here uses the program's own code.
//
// The rules: the argument "COLUMN[,COLUMN...]" gives columns, each NAME (a
// colon after it changing nothing), NAME:VIEW or a computed :VIEW, blanks
// around each part dropped; it must give one at least, no name empty or
// beginning with "=", no view unknown, and no column twice (the same view
// of names with the same ASCII letters without case, or the same JSON
// key). A header's lines, each without its LF and a CR before that, end at
// the empty one. A field starts on a line that does not begin with SP or
// TAB, has a colon, and is not a first line beginning "From "; its name is
// what stands before the first colon with SP and TAB at its end dropped.
// Its value is the rest of that line followed by each line after it that
// begins with SP or TAB, SP and TAB then dropped from both ends; the first
// field of a name counts. A row: the input's name, the message's offset and
// each column, as TSV (\\ \t \r \n escaped in every column, a name's other
// controls '?'), as one JSON object (always valid UTF-8: each byte that
// begins no well-formed sequence is U+FFFD; U+2028 and U+2029 escaped) or
// as CSV (RFC 4180, after a row of headings). A column NAME:VIEW shows what
// value_model.h reads in the value, :parent the id it reads in References
// and In-Reply-To, :size the message's bytes up to the next one's offset or
// the end of the input's mail.

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/header_model.h"
#include "support/value_model.h"

namespace fieldsift::model {

enum class Rows { Tsv, Json, Csv };

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

[[nodiscard]] inline std::string lowered(std::string s) {
  for (char& c : s) c = lower(c);
  return s;
}

// The columns of an argument, each with its key, the name of the field it
// reads (empty for a computed one) and its view (empty when raw; "size"
// and "parent" for the computed ones), or what is wrong with the argument.
struct Columns {
  std::vector<std::string> keys;
  std::vector<std::string> names;
  std::vector<std::string> views;
  std::string error;
};

[[nodiscard]] inline Columns columns(std::string_view argument) {
  if (argument.empty()) return {{}, {}, {}, "no field name given"};
  static const std::vector<std::string> kViews = {"iso", "epoch", "addr", "name", "id"};
  static const std::vector<std::string> kComputed = {"size", "parent"};
  const auto known = [](const std::vector<std::string>& list, const std::string& v) {
    return std::find(list.begin(), list.end(), v) != list.end();
  };
  Columns r;
  for (std::size_t start = 0;;) {
    const std::size_t comma = std::min(argument.find(',', start), argument.size());
    const std::string item = trimmed(std::string(argument.substr(start, comma - start)));
    const std::size_t colon = item.find(':');
    const std::string name = trimmed(item.substr(0, colon));
    const std::string view =
        colon == std::string::npos ? "" : lowered(trimmed(item.substr(colon + 1)));
    if (colon == 0 && view.empty()) return {{}, {}, {}, "empty field name"};
    if (colon != 0 && name.empty()) return {{}, {}, {}, "empty field name"};
    if (colon != 0 && name.front() == '=')
      return {{}, {}, {}, "field name begins with \"=\": " + name};
    if (!view.empty() && !known(colon == 0 ? kComputed : kViews, view))
      return {{}, {}, {}, "unknown view: " + item};
    const std::string key = view.empty() ? name : item;
    for (std::size_t i = 0; i < r.keys.size(); ++i) {
      if (r.views[i] == view && key_of(r.names[i]) == key_of(name))
        return {{}, {}, {}, "field named twice: " + key};
    }
    r.keys.push_back(key);
    r.names.push_back(name);
    r.views.push_back(view);
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

// Each named field's value in one header as headsift writes it; none where
// absent. With one_space_folds (under --decode), the SP and TAB that begin a
// line after a value's first are one SP.
[[nodiscard]] inline std::vector<std::optional<std::string>> field_values(
    std::string_view header, const std::vector<std::string>& names, bool one_space_folds = false) {
  std::vector<std::optional<std::string>> values(names.size());
  // The columns of the field that lines beginning with SP or TAB go on: a
  // name may be asked for by several, with their views.
  std::vector<std::size_t> open;
  for (std::size_t start = 0, n = 0; start < header.size(); ++n) {
    const std::size_t lf = std::min(header.find('\n', start), header.size());
    std::string line(header.substr(start, lf - start));
    start = lf + 1;
    if (line.ends_with('\r')) line.pop_back();
    if (line.empty()) break;
    if (blank(line[0])) {
      if (!open.empty() && one_space_folds) line.replace(0, line.find_first_not_of(" \t"), " ");
      for (const std::size_t i : open) *values[i] += line;
      continue;
    }
    open.clear();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || (n == 0 && line.starts_with("From "))) continue;
    std::string name = line.substr(0, colon);
    while (!name.empty() && blank(name.back())) name.pop_back();
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (values[i] || !same_name(name, names[i])) continue;
      values[i] = line.substr(colon + 1);
      open.push_back(i);
    }
  }
  for (std::optional<std::string>& v : values) {
    if (v) v = trimmed(*v);
  }
  return values;
}

[[nodiscard]] inline std::string tsv_column(std::string_view text, bool name = false) {
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
    else if (name && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F))
      out += '?';  // a name's control bytes as reports show them
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
    } else if (d.code == 0x2028 || d.code == 0x2029) {
      out += d.code == 0x2028 ? "\\u2028" : "\\u2029";
    } else {
      out += text.substr(i, d.length);
    }
    i += d.length == 0 ? 1 : d.length;
  }
  return out + "\"";
}

// Text as UTF-8, U+FFFD for each byte that begins no well-formed sequence.
[[nodiscard]] inline std::string utf8_text(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const Decoded d = decode_utf8(text, i);
    out += d.length == 0 ? std::string("\xEF\xBF\xBD") : std::string(text.substr(i, d.length));
    i += d.length == 0 ? 1 : d.length;
  }
  return out;
}

[[nodiscard]] inline std::string csv_field(std::string_view text, bool name = false) {
  std::string out;
  for (const char c : utf8_text(text)) {
    if (c == '"') out += '"';
    out += name && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  }
  if (out.find_first_of(",\"\r\n") == std::string::npos) return out;
  return "\"" + out + "\"";
}

// What a column holds for one message.
struct Cell {
  enum class Kind { Absent, Text, List, Number } kind = Kind::Absent;
  std::string text;
  std::vector<std::string> items;
  long long number = 0;
};

// A JSON array's items, each as it reads, a comma between two.
[[nodiscard]] inline std::string json_items(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    out += json_string(items[i]);
  }
  return out;
}

[[nodiscard]] inline std::string row(Rows format, std::string_view input_name, std::size_t offset,
                                     const std::vector<std::string>& keys,
                                     const std::vector<Cell>& cells) {
  using Kind = Cell::Kind;
  std::string out;
  if (format == Rows::Tsv || format == Rows::Csv) {
    const bool tsv = format == Rows::Tsv;
    const auto text = [tsv](std::string_view t) { return tsv ? tsv_column(t) : csv_field(t); };
    out = (tsv ? tsv_column(input_name, true) : csv_field(input_name, true)) + (tsv ? "\t" : ",") +
          std::to_string(offset);
    for (const Cell& c : cells) {
      out += tsv ? "\t" : ",";
      if (c.kind == Kind::Text) out += text(c.text);
      if (c.kind == Kind::Number) out += std::to_string(c.number);
      if (c.kind == Kind::List) {
        std::string list;
        for (std::size_t i = 0; i < c.items.size(); ++i) list += (i > 0 ? " " : "") + c.items[i];
        out += text(list);
      }
    }
    return out + (tsv ? "\n" : "\r\n");
  }
  out = "{\"input\":" + json_string(input_name) + ",\"offset\":" + std::to_string(offset) +
        ",\"fields\":{";
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const Cell& c = cells[i];
    out.append(i > 0 ? "," : "").append(json_string(keys[i])).append(":");
    if (c.kind == Kind::Absent) out += "null";
    if (c.kind == Kind::Text) out += json_string(c.text);
    if (c.kind == Kind::Number) out += std::to_string(c.number);
    if (c.kind == Kind::List) out += "[" + json_items(c.items) + "]";
  }
  return out + "}}\n";
}

// What a view shows of a field's value (support/value_model.h): a list
// for :addr and :id, empty where the field is absent or holds none (JSON's
// arrays whatever the data); otherwise absent where the field is, or where
// the view finds nothing.
[[nodiscard]] inline Cell view_cell(const std::string& view,
                                    const std::optional<std::string>& value) {
  using Kind = Cell::Kind;
  if (view == "id") return Cell{Kind::List, "", msg_ids(value.value_or("")), 0};
  if (view == "addr") {
    Cell c{Kind::List, "", {}, 0};
    for (const ListedMailbox& m : mailboxes(value.value_or(""))) c.items.push_back(m.addr_spec);
    return c;
  }
  if (!value) return {};
  if (view == "iso" || view == "epoch") {
    const std::optional<long long> seconds = date_seconds(*value);
    if (!seconds) return {};
    return view == "iso" ? Cell{Kind::Text, iso_text(*seconds), {}, 0}
                         : Cell{Kind::Number, "", {}, *seconds};
  }
  const std::vector<ListedMailbox> found = mailboxes(*value);
  if (found.empty() || found[0].name.empty()) return {};
  return Cell{Kind::Text, found[0].name, {}, 0};
}

// The cells of one message's columns.
[[nodiscard]] inline std::vector<Cell> cells(const Columns& c, std::string_view header,
                                             std::size_t size) {
  using Kind = Cell::Kind;
  const std::vector<std::optional<std::string>> values = field_values(header, c.names);
  const std::vector<std::optional<std::string>> threads =
      field_values(header, {"references", "in-reply-to"});
  std::vector<Cell> out;
  for (std::size_t i = 0; i < c.keys.size(); ++i) {
    if (c.views[i].empty()) {
      out.push_back(values[i] ? Cell{Kind::Text, *values[i], {}, 0} : Cell{});
    } else if (c.views[i] == "size") {
      out.push_back(Cell{Kind::Number, "", {}, static_cast<long long>(size)});
    } else if (c.views[i] == "parent") {
      const std::optional<std::string> parent = parent_id(threads[0], threads[1]);
      out.push_back(parent ? Cell{Kind::Text, *parent, {}, 0} : Cell{});
    } else {
      out.push_back(view_cell(c.views[i], values[i]));
    }
  }
  return out;
}

// Every row headsift -f ARGUMENT writes for one input, the headings of a
// CSV first; none where the argument is no column list (a usage error).
[[nodiscard]] inline std::optional<std::string> rows(Rows format, std::string_view input,
                                                     std::string_view input_name,
                                                     std::string_view argument,
                                                     Form form = Form::Plain) {
  const Columns c = columns(argument);
  if (!c.error.empty()) return std::nullopt;
  std::string out;
  if (format == Rows::Csv) {
    out = "input,offset";
    for (const std::string& key : c.keys) out += "," + csv_field(key);
    out += "\r\n";
  }
  const std::vector<Message> found = messages(input, form);
  const Mail mail = mail_of(input, form);
  for (std::size_t m = 0; m < found.size(); ++m) {
    const std::size_t end =
        m + 1 < found.size() ? found[m + 1].offset : mail.start + mail.text.size();
    out += row(format, input_name, found[m].offset, c.keys,
               cells(c, found[m].header, end - found[m].offset));
  }
  return out;
}

}  // namespace fieldsift::model
