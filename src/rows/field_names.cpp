// SPDX-License-Identifier: BSD-2-Clause
#include "rows/field_names.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "message/header_sink.h"

namespace fieldsift {
namespace {

constexpr std::string_view kSeparator = kMboxSeparator;
constexpr unsigned char kColon = ':';

bool is_separator(std::span<const unsigned char> line_start) {
  return line_start.size() >= kSeparator.size() &&
         std::ranges::equal(line_start.first(kSeparator.size()), bytes_of(kSeparator));
}

// What stands before a line's first colon holds no LF, and has its SP and
// TAB at the end dropped.
bool can_match(std::span<const unsigned char> name) {
  return std::ranges::find(name, kLineFeed) == name.end() && !is_blank(name.back());
}

}  // namespace

FieldNames::FieldNames(std::span<const std::string_view> names)
    : slots_(allocate_array<FieldSlot>(names.size())), size_(names.size()), index_(names.size()) {
  if (!valid()) return;
  name_limit_ = kSeparator.size();
  for (std::size_t i = 0; i < size_; ++i) {
    const std::span<const unsigned char> bytes = bytes_of(names[i]);  // never empty
    slots_[i] =
        FieldSlot{bytes.data(), bytes.size(), can_match(bytes), false, 0, 0, nullptr, false};
    index_.add(folded_hash(bytes), i);
    if (i < kFewNames) words_[i] = words_of(bytes);
    name_limit_ = std::max(name_limit_, bytes.size());
    const unsigned char first = fold_case(bytes[0]);
    first_bytes_.members[first] = true;
    first_bytes_.members[upper_case(first)] = true;
    add_first_pairs(first, bytes.size() > 1 ? std::optional(fold_case(bytes[1])) : std::nullopt);
  }
  set_first_matches();
  if (size_ > kFewNames) return;
  for (std::size_t i = size_; i-- > 0;) {
    const unsigned char first = fold_case(slots_[i].name[0]);
    few_next_[i] = few_first_[first];
    few_first_[first] = few_first_[upper_case(first)] = static_cast<std::uint8_t>(i + 1);
  }
}

// The first bytes as up to four matches, a letter's two cases one match,
// where so few make them.
void FieldNames::set_first_matches() {
  std::array<ByteMatch, 4>& matches = first_bytes_.matches;
  std::size_t count = 0;
  for (unsigned b = 0; b < first_bytes_.members.size(); ++b) {
    const auto c = static_cast<unsigned char>(b);
    if (!first_bytes_.members[c] || fold_case(c) != c) continue;  // a letter once, in lower case
    if (count == matches.size()) return;
    matches[count++] = ByteMatch{c, is_letter(c) ? kCaseBit : static_cast<unsigned char>(0)};
  }
  if (count == 0) return;
  for (std::size_t i = count; i < matches.size(); ++i) matches[i] = matches[0];
  first_bytes_.by_matches = true;
  first_bytes_.distinct = static_cast<unsigned char>(count);
  first_bytes_.one_mask = std::all_of(matches.begin(), matches.end(), [&](const ByteMatch& m) {
    return m.mask == matches[0].mask;
  });
}

FieldNames::NameWords FieldNames::words_of(std::span<const unsigned char> name) {
  NameWords words;
  if (name.size() > 2 * kWord) return words;
  const auto word = [](std::span<const unsigned char> bytes, std::uint64_t& folded,
                       std::uint64_t& case_bits) {
    std::array<unsigned char, kWord> text{};
    std::array<unsigned char, kWord> cases{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      text[i] = fold_case(bytes[i]);
      cases[i] = is_letter(bytes[i]) ? kCaseBit : 0;
    }
    std::memcpy(&folded, text.data(), kWord);
    std::memcpy(&case_bits, cases.data(), kWord);
  };
  const std::span<const unsigned char> head = name.first(std::min(name.size(), kWord));
  word(head, words.head, words.head_case);
  std::array<unsigned char, kWord> mask{};
  constexpr unsigned char kWholeByte = 0xFF;
  std::fill_n(mask.begin(), head.size(), kWholeByte);
  std::memcpy(&words.head_mask, mask.data(), kWord);
  if (name.size() > kWord) {
    word(name.last(kWord), words.tail, words.tail_case);
    words.tail_at = name.size() - kWord;
  }
  return words;
}

// Both words are compared, so that names of any length take the same steps.
bool FieldNames::begins_with(const unsigned char* line, const NameWords& words) {
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  std::memcpy(&head, line, kWord);
  std::memcpy(&tail, line + words.tail_at, kWord);
  const std::uint64_t differ = (((head | words.head_case) & words.head_mask) ^ words.head) |
                               ((tail | words.tail_case) ^ words.tail);
  return differ == 0;
}

// A one-byte name lets any second byte follow its first.
void FieldNames::add_first_pairs(unsigned char first, std::optional<unsigned char> second) {
  for (const unsigned char a : {first, upper_case(first)}) {
    for (unsigned b = 0; b < 256; ++b) {
      const auto c = static_cast<unsigned char>(b);
      if (second && c != *second && c != upper_case(*second)) continue;
      const std::size_t pair = std::size_t{a} << 8U | c;
      first_pairs_[pair / 64] |= std::uint64_t{1} << (pair % 64);
    }
  }
}

// A few names are tried in turn, as cheaply as a hash is worked out; more
// are looked up by it.
FieldSlot* FieldNames::wanted(std::span<const unsigned char> name) {
  const auto is = [&](std::size_t slot) {
    return equal_folded(name, {slots_[slot].name, slots_[slot].name_size});
  };
  std::size_t i = NameIndex::kNone;
  if (size_ <= kFewNames) {
    for (std::size_t slot = 0; slot < size_ && i == NameIndex::kNone; ++slot) {
      if (is(slot)) i = slot;
    }
  } else {
    i = index_.find(folded_hash(name), is);
  }
  if (i == NameIndex::kNone || slots_[i].present || !slots_[i].can_match) return nullptr;
  return &slots_[i];
}

// Each of a few names that begins with the line's first byte is tried
// where it stands: a line that begins with it and a colon names it. A line
// that begins with it and a blank, or ends too soon to tell, is left to the
// full reading: none then.
std::optional<FieldNames::Found> FieldNames::named_among_few(std::span<const unsigned char> line) {
  bool unsure = false;
  for (std::size_t n = few_first_[line[0]]; n != 0; n = few_next_[n - 1]) {
    const std::size_t i = n - 1;
    FieldSlot& slot = slots_[i];
    if (slot.name_size >= line.size()) {
      unsure = true;
      continue;
    }
    const bool by_words = line.size() >= kWord && slot.name_size <= 2 * kWord;
    if (!(by_words ? begins_with(line.data(), words_[i])
                   : equal_folded(line.first(slot.name_size), {slot.name, slot.name_size})))
      continue;
    const unsigned char after = line[slot.name_size];
    if (after == kColon) {
      const bool wanted = !slot.present && slot.can_match;
      return Found{wanted ? &slot : nullptr, line.data() + slot.name_size, true};
    }
    unsure = unsure || is_blank(after);
  }
  if (unsure) return std::nullopt;
  return Found{nullptr, nullptr, true};
}

// The name runs to the line's first colon; past name_limit() bytes only SP
// and TAB may follow it for a wanted name.
FieldNames::Found FieldNames::named_at(const unsigned char* line, const unsigned char* end,
                                       bool first_line) {
  const std::span<const unsigned char> bytes(line, end);
  if (first_line) {
    if (bytes.size() < kSeparator.size()) return {nullptr, nullptr, false};
    if (is_separator(bytes)) return {nullptr, nullptr, true};
  }
  if (size_ <= kFewNames) {
    if (const std::optional<Found> found = named_among_few(bytes)) return *found;
  }
  // The name runs to the first colon, its blanks at the end dropped: a line
  // begins with none. Past name_limit() bytes only blanks may come.
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = bytes[i];
    if (c == kColon) return {wanted(trim_blanks(bytes.first(i))), line + i, true};
    if (c == kLineFeed || (i >= name_limit_ && !is_blank(c))) return {nullptr, nullptr, true};
  }
  return {nullptr, nullptr, false};
}

FieldSlot* FieldNames::named_by(std::span<const unsigned char> name, bool first_line) {
  if (first_line && is_separator(name)) return nullptr;
  return wanted(trim_blanks(name));
}

}  // namespace fieldsift
