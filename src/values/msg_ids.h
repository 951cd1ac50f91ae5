// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <optional>
#include <span>

namespace fieldsift {

// Reads the msg-ids of a Message-ID, In-Reply-To or References value in
// order: each the bytes between a '<' and the next '>', without the white
// space at either end, not empty and holding no white space, '<' or '>'.
// Text around them is passed over (In-Reply-To's obsolete phrases:
// `Your message of "Thu, 29 Aug 2002 10:00:00 +0200" <id>`), and a '<' in a
// quoted string or a comment begins no id. A value with no '<' or '>' that
// is one token holding an '@', CFWS around it, is that id (`Message-ID:
// a@b`). The ids are parts of the value, which must outlive them.
class MsgIdReader {
 public:
  explicit MsgIdReader(std::span<const unsigned char> value);

  // The next id; none after the last.
  [[nodiscard]] std::optional<std::span<const unsigned char>> next();

 private:
  [[nodiscard]] std::optional<std::span<const unsigned char>> msg_id(std::size_t open);

  std::span<const unsigned char> value_;
  std::size_t pos_ = 0;  // pos_ <= value_.size(); the ids before it are read
  std::optional<std::span<const unsigned char>> bare_;  // the bare token, not yet handed out
};

// The message a message answers: the last id of its References, or else
// the first of its In-Reply-To; none if neither has one.
[[nodiscard]] std::optional<std::span<const unsigned char>> parent_id(
    std::span<const unsigned char> references, std::span<const unsigned char> in_reply_to);

}  // namespace fieldsift
