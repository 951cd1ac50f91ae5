// SPDX-License-Identifier: BSD-2-Clause
#include <algorithm>
#include <array>
#include <string_view>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "values/address_list.h"
#include "values/lexical.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;

// The parts of a mailbox were read whole by MailboxReader, so every quoted
// string, comment and domain literal in them closes, and everything else in
// them is CFWS, atext or a dot. Appends may fail: out keeps its failure, and
// each public function looks at it once, at the end.

// Hands piece each run of a quoted string's or a domain literal's text
// between its delimiters (open at start), a quoted-pair's byte apart and
// marked escaped; answers where it ends.
template <typename Piece>
std::size_t for_each_piece(Bytes bytes, std::size_t start, unsigned char close, Piece piece) {
  std::size_t run = start + 1;
  for (std::size_t pos = run;; ++pos) {
    if (bytes[pos] != close && bytes[pos] != kQuotedPair) continue;
    piece(bytes.subspan(run, pos - run), false);
    if (bytes[pos] == close) return pos + 1;
    piece(bytes.subspan(++pos, 1), true);
    run = pos + 1;
  }
}

// The same for a comment, whose nested comments' parentheses are dropped.
template <typename Piece>
std::size_t for_each_comment_piece(Bytes bytes, std::size_t start, Piece piece) {
  std::size_t depth = 1;  // comments open before pos
  std::size_t run = start + 1;
  for (std::size_t pos = run;; ++pos) {
    const unsigned char c = bytes[pos];
    if (c != '(' && c != ')' && c != kQuotedPair) continue;
    piece(bytes.subspan(run, pos - run));
    if (c == kQuotedPair) piece(bytes.subspan(++pos, 1));
    if (c == '(') ++depth;
    if (c == ')' && --depth == 0) return pos + 1;
    run = pos + 1;
  }
}

// A run of atext and dots from pos.
Bytes dotted_run(Bytes bytes, std::size_t pos) {
  return bytes.subspan(pos, run_end(bytes, pos, kAtextOrDot) - pos);
}

void put_local_part(Bytes local, ByteVector& out) {
  for (std::size_t pos = 0; pos < local.size();) {
    if (is_blank(local[pos])) {
      ++pos;
    } else if (local[pos] == '(') {
      pos = comment_end(local, pos).value_or(local.size());
    } else if (local[pos] == '"') {
      (void)out.push_back('"');
      pos = for_each_piece(local, pos, '"', [&out](Bytes piece, bool escaped) {
        if (escaped && (piece[0] == '"' || piece[0] == kQuotedPair)) {
          const std::array<unsigned char, 2> pair = {kQuotedPair, piece[0]};
          (void)out.append(pair);
        } else {
          (void)out.append(piece);
        }
      });
      (void)out.push_back('"');
    } else {
      const Bytes run = dotted_run(local, pos);
      (void)out.append(run);
      pos += run.size();
    }
  }
}

// Bytes with their letters in lower case, a chunk at a time.
void put_folded(Bytes bytes, ByteVector& out) {
  constexpr std::size_t kChunk = 64;
  std::array<unsigned char, kChunk> chunk{};
  while (!bytes.empty()) {
    const std::size_t n = std::min(bytes.size(), kChunk);
    std::ranges::transform(bytes.first(n), chunk.begin(),
                           [](unsigned char c) { return fold_case(c); });
    (void)out.append(std::span(chunk).first(n));
    bytes = bytes.subspan(n);
  }
}

void put_domain(Bytes domain, ByteVector& out) {
  for (std::size_t pos = 0; pos < domain.size();) {
    if (is_blank(domain[pos])) {
      ++pos;
    } else if (domain[pos] == '(') {
      pos = comment_end(domain, pos).value_or(domain.size());
    } else if (domain[pos] == '[') {
      (void)out.push_back('[');
      // A quoted-pair stays one, so that the domain is as written.
      pos = for_each_piece(domain, pos, ']', [&out](Bytes piece, bool escaped) {
        if (escaped) (void)out.push_back(kQuotedPair);
        put_folded(piece, out);
      });
      (void)out.push_back(']');
    } else {
      const Bytes run = dotted_run(domain, pos);
      put_folded(run, out);
      pos += run.size();
    }
  }
}

// The phrase's words, one space between two; whether it had any.
bool put_phrase(Bytes phrase, ByteVector& out) {
  bool words = false;
  for (std::size_t pos = 0; pos < phrase.size();) {
    if (is_blank(phrase[pos])) {
      ++pos;
      continue;
    }
    if (phrase[pos] == '(') {
      pos = comment_end(phrase, pos).value_or(phrase.size());
      continue;
    }
    if (words) (void)out.push_back(' ');
    words = true;
    if (phrase[pos] == '"') {
      pos =
          for_each_piece(phrase, pos, '"', [&out](Bytes piece, bool) { (void)out.append(piece); });
    } else {
      const Bytes run = dotted_run(phrase, pos);
      (void)out.append(run);
      pos += run.size();
    }
  }
  return words;
}

// The text of each comment in bytes, one space between two, after lead
// before the first; whether there was any. Quoted strings and domain
// literals hold no comments.
bool put_comments(Bytes bytes, std::string_view lead, ByteVector& out) {
  bool any = false;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const unsigned char c = bytes[pos];
    if (c == '"' || c == '[') {
      pos = for_each_piece(bytes, pos, c == '"' ? '"' : ']', [](Bytes, bool) {});
    } else if (c != '(') {
      ++pos;
    } else {
      (void)out.append(bytes_of(any ? " " : lead));
      any = true;
      pos = for_each_comment_piece(bytes, pos, [&out](Bytes piece) { (void)out.append(piece); });
    }
  }
  return any;
}

bool kept(ByteVector& out, std::size_t before) {
  if (!out.failed()) return true;
  out.shrink_to(before);
  return false;
}

}  // namespace

bool append_addr_spec(const Mailbox& mailbox, ByteVector& out) {
  const std::size_t before = out.size();
  if (mailbox.plain) {
    (void)out.append(mailbox.local_part);
    (void)out.push_back('@');
    put_folded(mailbox.domain, out);
    return kept(out, before);
  }
  put_local_part(mailbox.local_part, out);
  (void)out.push_back('@');
  put_domain(mailbox.domain, out);
  return kept(out, before);
}

bool append_display_name(const Mailbox& mailbox, ByteVector& out) {
  const std::size_t before = out.size();
  if (mailbox.name_addr) {
    const bool words = put_phrase(mailbox.phrase, out);
    if (put_comments(mailbox.commented, words ? " (" : "(", out)) (void)out.push_back(')');
  } else {
    (void)put_comments(mailbox.commented, "", out);
  }
  return kept(out, before);
}

}  // namespace fieldsift
