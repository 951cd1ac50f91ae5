// SPDX-License-Identifier: BSD-2-Clause
#include "values/msg_ids.h"

#include <algorithm>
#include <array>
#include <utility>

#include "bytes/ascii.h"
#include "values/lexical.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;

constexpr bool is_bracket(unsigned char c) { return c == '<' || c == '>'; }

// The bytes of an id: neither white space nor a bracket.
constexpr std::array<bool, 256> kIdBytes = [] {
  std::array<bool, 256> id{};
  for (std::size_t c = 0; c < id.size(); ++c) {
    const auto byte = static_cast<unsigned char>(c);
    id[c] = !is_blank(byte) && !is_bracket(byte);
  }
  return id;
}();

std::size_t blanks_end(Bytes bytes, std::size_t pos) {
  while (pos < bytes.size() && is_blank(bytes[pos])) ++pos;
  return pos;
}

// The value as one bare id: [CFWS] token [CFWS], the token holding an '@'
// and ending at white space or a comment.
std::optional<Bytes> bare_id(Bytes value) {
  if (std::ranges::find(value, '<') != value.end() || std::ranges::find(value, '>') != value.end())
    return std::nullopt;
  const std::size_t start = skip_cfws(value, 0);
  std::size_t end = start;
  while (end < value.size() && !is_blank(value[end]) && value[end] != '(') ++end;
  const Bytes token = value.subspan(start, end - start);
  if (skip_cfws(value, end) != value.size() || std::ranges::find(token, '@') == token.end())
    return std::nullopt;
  return token;
}

}  // namespace

MsgIdReader::MsgIdReader(Bytes value) : value_(value), bare_(bare_id(value)) {
  if (bare_) pos_ = value_.size();
}

std::optional<Bytes> MsgIdReader::next() {
  if (bare_) return std::exchange(bare_, std::nullopt);
  while (pos_ < value_.size()) {
    const unsigned char c = value_[pos_];
    if (c == '"') {
      pos_ = quoted_string_end(value_, pos_).value_or(value_.size());
    } else if (c == '(') {
      pos_ = comment_end(value_, pos_).value_or(value_.size());
    } else if (c != '<') {
      ++pos_;
    } else if (const std::optional<Bytes> id = msg_id(pos_)) {
      return id;
    }
  }
  return std::nullopt;
}

// "<" id ">", white space allowed inside the brackets around the id. Where
// it is not one, reading goes on at the byte after the '<', so that a
// quoted string or comment after it is taken whole, and a '<' in it begins
// no id.
std::optional<Bytes> MsgIdReader::msg_id(std::size_t open) {
  const std::size_t start = blanks_end(value_, open + 1);
  const std::size_t end = run_end(value_, start, kIdBytes);
  const std::size_t close = blanks_end(value_, end);
  if (end == start || close == value_.size() || value_[close] != '>') {
    pos_ = open + 1;
    return std::nullopt;
  }
  pos_ = close + 1;
  return value_.subspan(start, end - start);
}

std::optional<Bytes> parent_id(Bytes references, Bytes in_reply_to) {
  std::optional<Bytes> last;
  MsgIdReader ids(references);
  while (const std::optional<Bytes> id = ids.next()) last = id;
  return last ? last : MsgIdReader(in_reply_to).next();
}

}  // namespace fieldsift
