// SPDX-License-Identifier: BSD-2-Clause
#include "decode/encoded_words.h"

#include <cstring>
#include <utility>

#include "decode/encoded_word.h"
#include "decode/text_converter.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;

bool is_space(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether "=?" occurs: the one look that a value without encoded words costs.
bool has_word_start(Bytes value) {
  const unsigned char* p = value.data();
  const unsigned char* const end = p + value.size();
  while (p != end) {
    p = static_cast<const unsigned char*>(std::memchr(p, '=', static_cast<std::size_t>(end - p)));
    if (p == nullptr) return false;
    if (++p != end && *p == '?') return true;
  }
  return false;
}

// Writes one value a token at a time; a token is a run of bytes other than
// white space.
class ValueDecoder {
 public:
  ValueDecoder(Bytes value, ByteVector& out) : value_(value), out_(out) {}

  bool write() {
    write_tokens();
    write_text({});
    return !no_memory_ && !out_.failed();
  }

 private:
  struct Run {
    std::size_t end;    // just past its last word
    std::size_t words;  // how many it has
    Conversion result;
  };

  [[nodiscard]] std::size_t space_end(std::size_t pos) const {
    while (pos < value_.size() && is_space(value_[pos])) ++pos;
    return pos;
  }

  [[nodiscard]] std::size_t token_end(std::size_t pos) const {
    while (pos < value_.size() && !is_space(value_[pos])) ++pos;
    return pos;
  }

  // White space held, words decoded in runs, other tokens as they stand.
  void write_tokens() {
    for (std::size_t pos = 0; pos < value_.size();) {
      if (is_space(value_[pos])) {
        const std::size_t end = space_end(pos);
        held_space_ = value_.subspan(pos, end - pos);
        pos = end;
        continue;
      }
      const std::size_t end = token_end(pos);
      const Bytes token = value_.subspan(pos, end - pos);
      if (const std::optional<EncodedWord> word = parse_encoded_word(token)) {
        pos = write_run(pos, *word);
      } else {
        write_text(token);
        pos = end;
      }
    }
  }

  // The white space held, then bytes as they stand.
  void write_text(Bytes bytes) {
    (void)out_.append(std::exchange(held_space_, Bytes{}));  // out_ keeps a failure
    (void)out_.append(bytes);
    after_word_ = false;
  }

  // The words from pos on, first the first of them, decoded as one text;
  // where they do not convert together, each alone. Answers the position
  // after the last.
  std::size_t write_run(std::size_t pos, const EncodedWord& first) {
    const Run run = try_run(pos, first, false);
    if (run.result == Conversion::Converted || run.words == 1) return run.end;
    while (pos < run.end) {
      const std::size_t end = is_space(value_[pos]) ? space_end(pos) : token_end(pos);
      const Bytes token = value_.subspan(pos, end - pos);
      if (is_space(value_[pos])) {
        held_space_ = token;
      } else {
        (void)try_run(pos, *parse_encoded_word(token), true);  // a word of the run, as it was
      }
      pos = end;
    }
    return run.end;
  }

  // Writes a run of words, or with one_word the first alone, decoded; or,
  // where they do not convert, writes nothing but a lone word as it stands.
  Run try_run(std::size_t pos, const EncodedWord& first, bool one_word) {
    const Bytes space = std::exchange(held_space_, Bytes{});
    const std::size_t before = out_.size();
    if (!after_word_) (void)out_.append(space);  // out_ keeps a failure
    const Run run = convert_run(pos, first, one_word);
    if (run.result == Conversion::Converted) {
      after_word_ = true;
      return run;
    }
    no_memory_ = no_memory_ || run.result == Conversion::NoMemory;
    out_.shrink_to(before);
    held_space_ = space;
    if (run.words == 1) write_text(value_.subspan(pos, run.end - pos));
    return run;
  }

  // Feeds the text of first, and of each word in its charset that follows
  // with white space only between (none, with one_word), to one converter.
  Run convert_run(std::size_t pos, const EncodedWord& first, bool one_word) {
    TextConverter converter(*first.charset, out_);
    const auto feed = [&converter](unsigned char byte) { converter.feed(byte); };
    decode_text(first, feed);
    Run run{token_end(pos), 1, Conversion::Converted};
    while (!one_word) {
      const std::size_t next = space_end(run.end);
      if (next == value_.size()) break;
      const std::size_t end = token_end(next);
      const std::optional<EncodedWord> word = parse_encoded_word(value_.subspan(next, end - next));
      if (!word || word->charset != first.charset) break;
      decode_text(*word, feed);
      run.end = end;
      ++run.words;
    }
    run.result = converter.finish();
    return run;
  }

  Bytes value_;
  ByteVector& out_;
  Bytes held_space_;         // white space not yet written: dropped if a decoded word follows one
  bool after_word_ = false;  // the last thing written is a decoded word
  bool no_memory_ = false;   // a converter had no memory
};

}  // namespace

bool decode_words(std::span<const unsigned char> value, ByteVector& out) {
  if (!has_word_start(value)) return out.append(value);
  return ValueDecoder(value, out).write();
}

}  // namespace fieldsift
