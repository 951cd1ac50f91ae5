// SPDX-License-Identifier: BSD-2-Clause
#include "decode/encoded_words.h"

#include <cstring>
#include <optional>
#include <utility>

#include "decode/encoded_word.h"
#include "decode/text_converter.h"

namespace fieldsift {
namespace {

using Bytes = std::span<const unsigned char>;

constexpr unsigned char kCr = '\r';
constexpr unsigned char kLf = '\n';

// SP, TAB and LF are white space alone; a CR only before a LF.
bool is_blank_or_lf(unsigned char c) { return c == ' ' || c == '\t' || c == kLf; }

// Mail puts words in quoted strings and comments, and readers decode them
// there: a word may stand right after an opening quote or parenthesis and
// right before a closing one.
bool opens(unsigned char c) { return c == '"' || c == '('; }
bool closes(unsigned char c) { return c == '"' || c == ')'; }

// Whether words of a charset with only white space between them are read as
// one text. In UTF-16 with its byte-order mark and in UTF-7 a writer makes
// each word a text of its own, beginning with its mark or ending its shifted
// run, and it is read so.
bool joins_words(const Charset& charset) {
  return charset.decoding != Decoding::Utf16 && charset.decoding != Decoding::Utf7;
}

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

// Writes one value: white space held, words decoded in runs, every other
// byte as it stands.
class ValueDecoder {
 public:
  ValueDecoder(Bytes value, ByteVector& out) : value_(value), out_(out) {}

  bool write() {
    write_value();
    write_text({});
    return !no_memory_ && !out_.failed();
  }

 private:
  struct Word {
    EncodedWord word;
    std::size_t end;  // just past it
  };

  struct Run {
    std::size_t end;    // just past its last word
    std::size_t words;  // how many it has
    Conversion result;
  };

  // The length of the white space at pos: 1, or 2 for CR LF; 0 if it is none.
  [[nodiscard]] std::size_t space_at(std::size_t pos) const {
    if (is_blank_or_lf(value_[pos])) return 1;
    return value_[pos] == kCr && pos + 1 < value_.size() && value_[pos + 1] == kLf ? 2 : 0;
  }

  [[nodiscard]] std::size_t space_end(std::size_t pos) const {
    for (std::size_t n = 0; pos < value_.size() && (n = space_at(pos)) != 0;) pos += n;
    return pos;
  }

  [[nodiscard]] std::size_t token_end(std::size_t pos) const {
    while (pos < value_.size() && space_at(pos) == 0) ++pos;
    return pos;
  }

  // The value's start, white space (a CR LF ends in LF) or an opening mark
  // before pos.
  [[nodiscard]] bool may_begin(std::size_t pos) const {
    return pos == 0 || is_blank_or_lf(value_[pos - 1]) || opens(value_[pos - 1]);
  }

  // The word that begins at pos, if one does and we can decode it: it ends
  // where the bytes other than white space do, or right before a closing
  // mark.
  [[nodiscard]] std::optional<Word> word_at(std::size_t pos) const {
    const Bytes token = value_.subspan(pos, token_end(pos) - pos);
    const std::size_t length = encoded_word_length(token);
    if (length == 0 || (length < token.size() && !closes(token[length]))) return std::nullopt;
    const std::optional<EncodedWord> word = parse_encoded_word(token.first(length));
    if (!word) return std::nullopt;
    return Word{*word, pos + length};
  }

  void hold_space(std::size_t pos, std::size_t end) {
    held_space_ = value_.subspan(pos, end - pos);
  }

  void write_value() {
    std::size_t from = 0;  // bytes in [from, pos) are to be written as they stand
    for (std::size_t pos = 0; pos < value_.size();) {
      if (space_at(pos) != 0) {
        if (pos > from) write_text(value_.subspan(from, pos - from));
        from = space_end(pos);
        hold_space(pos, from);
        pos = from;
        continue;
      }
      const std::optional<Word> word =
          value_[pos] == '=' && may_begin(pos) ? word_at(pos) : std::nullopt;
      if (!word) {
        ++pos;
        continue;
      }
      if (pos > from) write_text(value_.subspan(from, pos - from));
      pos = from = write_run(pos, *word);
    }
    if (value_.size() > from) write_text(value_.subspan(from));
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
  std::size_t write_run(std::size_t pos, const Word& first) {
    const Run run = try_run(pos, first, false);
    if (run.result == Conversion::Converted || run.words == 1) return run.end;
    while (pos < run.end) {
      if (space_at(pos) != 0) {
        const std::size_t end = space_end(pos);
        hold_space(pos, end);
        pos = end;
        continue;
      }
      const Word word = *word_at(pos);  // a word of the run, as it was
      (void)try_run(pos, word, true);
      pos = word.end;
    }
    return run.end;
  }

  // Writes a run of words, or with one_word the first alone, decoded; or,
  // where they do not convert, writes nothing but a lone word as it stands.
  Run try_run(std::size_t pos, const Word& first, bool one_word) {
    const Bytes space = std::exchange(held_space_, Bytes{});
    const std::size_t before = out_.size();
    if (!after_word_) (void)out_.append(space);  // out_ keeps a failure
    const Run run = convert_run(first, one_word);
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
  // with white space only between (none, with one_word, or where the charset
  // does not join its words), to one converter.
  Run convert_run(const Word& first, bool one_word) {
    const Charset& charset = *first.word.charset;
    TextConverter converter(charset, out_);
    const auto feed = [&converter](unsigned char byte) { converter.feed(byte); };
    decode_text(first.word, feed);
    Run run{first.end, 1, Conversion::Converted};
    while (!one_word && joins_words(charset)) {
      // A word right before a closing mark ends its run.
      if (run.end == value_.size() || space_at(run.end) == 0) break;
      const std::size_t next = space_end(run.end);
      if (next == value_.size()) break;
      const std::optional<Word> word = word_at(next);
      if (!word || word->word.charset != &charset) break;
      decode_text(word->word, feed);
      run.end = word->end;
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
