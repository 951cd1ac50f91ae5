#pragma once

// A case of tests/data/value_cases.txt and the value parsers' answers to it,
// for the unit test that holds the parsers to the cases and for the driver
// that tools/compare_values.py runs on mail.
//
// A case is a line: its kind, its values, then the answers expected, and
// perhaps a note ("differs: why"), separated by TABs. A field that is "-"
// is an empty value, or no answer (no date, no display name, no id); in any
// other, \t stands for a TAB, \\ for a backslash and \xHH for the byte HH,
// and any other backslash for itself.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/byte_vector.h"
#include "bytes/bytes_of.h"
#include "values/address_list.h"
#include "values/date_time.h"
#include "values/msg_ids.h"

namespace fieldsift::testing {

inline constexpr std::string_view kNone = "-";
inline constexpr std::string_view kNote = "differs:";

inline bool is_hex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline std::string unescape_field(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::string_view rest = field.substr(i);
    if (rest.starts_with("\\t") || rest.starts_with("\\\\")) {
      out += rest[1] == 't' ? '\t' : '\\';
      ++i;
    } else if (rest.size() >= 4 && rest.starts_with("\\x") && is_hex(rest[2]) && is_hex(rest[3])) {
      out += static_cast<char>(std::stoi(std::string(rest.substr(2, 2)), nullptr, 16));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// The field that unescape_field reads as value, a backslash doubled only
// where it would begin an escape.
inline std::string escape_field(std::string_view value) {
  static constexpr std::string_view kHex = "0123456789ABCDEF";
  if (value.empty()) return std::string(kNone);
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto byte = static_cast<unsigned char>(value[i]);
    const std::string_view next = value.substr(i + 1, 1);
    if (byte == '\\' && (next == "t" || next == "x" || next == "\\")) {
      out += "\\\\";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte >= 0x7F) {
      out += {'\\', 'x', kHex[byte >> 4U], kHex[byte & 0xFU]};
    } else {
      out += value[i];
    }
  }
  return out;
}

struct ValueCase {
  std::string kind;  // date, epoch, addr, ids, parent
  std::vector<std::string> values;
  std::vector<std::string> expected;  // "-" for none
  std::string note;
  std::string line;  // as written

  [[nodiscard]] static std::optional<ValueCase> parse(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
      const std::size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    ValueCase c{std::string(fields[0]), {}, {}, {}, std::string(line)};
    const std::size_t arity = c.kind == "parent" ? 2 : 1;
    if (fields.size() < arity + 1) return std::nullopt;
    if (fields.back().starts_with(kNote)) {
      c.note = fields.back();
      fields.pop_back();
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
      const bool none = fields[i] == kNone;
      if (i <= arity) c.values.push_back(none ? std::string() : unescape_field(fields[i]));
      if (i > arity) c.expected.push_back(none ? std::string(kNone) : unescape_field(fields[i]));
    }
    return c;
  }
};

// Every case of a cases file, its comments (#) and empty lines passed over.
inline std::vector<ValueCase> value_cases(std::string_view text) {
  std::vector<ValueCase> cases;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty() || line.starts_with('#')) continue;
    if (std::optional<ValueCase> c = ValueCase::parse(line)) cases.push_back(*c);
  }
  return cases;
}

inline std::string string_of_bytes(std::span<const unsigned char> bytes) {
  return {bytes.begin(), bytes.end()};
}

inline std::string date_answer(const std::optional<std::int64_t>& seconds) {
  IsoDateTimeText text;
  const std::string_view iso = seconds ? format_iso_date_time(*seconds, text) : kNone;
  return std::string(iso.empty() ? kNone : iso);
}

// The first mailbox's display name ("-" if none, or empty), then each addr_spec.
inline std::vector<std::string> address_answers(std::string_view list) {
  std::vector<std::string> answers = {std::string(kNone)};
  MailboxReader reader(bytes_of(list));
  for (std::optional<Mailbox> m; (m = reader.next());) {
    ByteVector address;
    ByteVector name;
    if (!append_addr_spec(*m, address) || !append_display_name(*m, name)) return {"no room"};
    if (answers.size() == 1 && name.size() > 0) answers[0] = string_of_bytes(name.bytes());
    answers.push_back(string_of_bytes(address.bytes()));
  }
  return answers;
}

inline std::vector<std::string> id_answers(std::string_view value) {
  std::vector<std::string> answers;
  MsgIdReader reader(bytes_of(value));
  while (const std::optional<std::span<const unsigned char>> id = reader.next())
    answers.push_back(string_of_bytes(*id));
  if (answers.empty()) answers.emplace_back(kNone);
  return answers;
}

inline std::vector<std::string> answers(const ValueCase& c) {
  const std::string_view value = c.values[0];
  if (c.kind == "date") return {date_answer(parse_date_time(bytes_of(value)))};
  if (c.kind == "epoch") return {date_answer(std::stoll(c.values[0]))};
  if (c.kind == "addr") return address_answers(value);
  if (c.kind == "ids") return id_answers(value);
  if (c.kind == "parent") {
    const auto id = parent_id(bytes_of(value), bytes_of(c.values[1]));
    return {id ? string_of_bytes(*id) : std::string(kNone)};
  }
  return {"unknown kind " + c.kind};
}

}  // namespace fieldsift::testing
