// SPDX-License-Identifier: BSD-2-Clause
#include "rows/field_scanner.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "bytes/ascii.h"
#include "bytes/bytes_of.h"
#include "message/header_sink.h"
#include "textio/scan/line_scans.h"

namespace fieldsift {
namespace {

constexpr unsigned char kCr = kCarriageReturn;
constexpr unsigned char kLf = kLineFeed;
constexpr unsigned char kColon = ':';
constexpr unsigned char kSpace = ' ';

// The first byte in [p, end) that is byte; null if none.
const unsigned char* find(const unsigned char* p, const unsigned char* end, unsigned char byte) {
  return static_cast<const unsigned char*>(std::memchr(p, byte, static_cast<std::size_t>(end - p)));
}

// Whether bytes end with an empty line (a LF, or a CR LF, after a LF): the
// bytes that end a header, which nothing follows in it.
bool ends_header(std::span<const unsigned char> bytes) {
  const std::size_t n = bytes.size();
  if (n < 2 || bytes[n - 1] != kLf) return false;
  return bytes[n - 2] == kLf || (n >= 3 && bytes[n - 2] == kCr && bytes[n - 3] == kLf);
}

}  // namespace

void FieldScanner::begin() {
  values_.clear();
  kept_.clear();
  name_.clear();
  for (FieldSlot& s : names_.slots()) {
    s.value_start = s.value_size = 0;
    s.present = false;
    s.in_place = nullptr;
    s.kept = false;
  }
  in_place_ = 0;
  place_ = Place::LineStart;
  open_ = nullptr;
  found_ = 0;
  first_line_ = true;
  held_cr_ = false;
  in_fold_ = false;
}

void FieldScanner::feed(std::span<const unsigned char> bytes) {
  if (!names_.valid()) return;
  // A mailbox's header begins with its separator's "From ", handed on by
  // itself: its line names no field.
  if (first_line_ && std::ranges::equal(bytes, bytes_of(kMboxSeparator))) {
    first_line_ = false;
    place_ = Place::PassingOver;
    return;
  }
  const unsigned char* const end = bytes.data() + bytes.size();
  const Reached reached = scan_lines(bytes.data(), end);
  if (!reached.header_end) steps(reached.at, end);
  if (in_place_ > 0 && !ends_header(bytes)) keep_values();
}

std::size_t FieldScanner::take_header(std::span<const unsigned char> bytes) {
  if (!names_.valid()) return find_empty_line(bytes);
  const unsigned char* const begin = bytes.data();
  const unsigned char* const end = begin + bytes.size();
  const Reached reached = scan_lines(begin, end);
  if (reached.header_end) return static_cast<std::size_t>(reached.at - begin);
  // No line before reached.at is empty; a line start there may be.
  const unsigned char* const from =
      reached.at > begin && reached.at[-1] == kLf ? reached.at - 1 : reached.at;
  const unsigned char* const empty = from + find_empty_line({from, end});
  if (place_ != Place::Done)
    steps(reached.at, empty == end ? end : empty + (*empty == kLf ? 1 : 2));
  if (in_place_ > 0 && empty == end) keep_values();
  return static_cast<std::size_t>(empty - begin);
}

// Byte by byte where the fast loop cannot go: the place tells what the
// bytes from p are.
void FieldScanner::steps(const unsigned char* p, const unsigned char* end) {
  while (p != end) {
    [[maybe_unused]] const unsigned char* const before = p;  // for the checks below
    // What a line is, told at its first byte, is gone on with at once.
    if (place_ == Place::LineStart) p = at_line_start(p, end);
    switch (place_) {
      case Place::LineStart:
        break;  // no step leaves it so
      case Place::InName:
        p = in_name(p, end);
        break;
      case Place::InValue:
        p = in_value(p, end);
        break;
      case Place::PassingOver:
        p = pass_over(p, end);
        break;
      case Place::Done:
        p = end;
        break;
    }
    // Each round takes bytes, but for one that only tells what a line names.
    assert(p >= before && p <= end);
    assert(p > before || place_ == Place::PassingOver || place_ == Place::InName);
  }
}

void FieldScanner::finish(bool keep) {
  if (held_cr_ && open_ != nullptr) append_value(&kCr, &kCr + 1);  // no LF came after it
  held_cr_ = false;
  close_value();
  if (keep) keep_values();
}

// The values that lie in the bytes fed, copied: those bytes may change.
// They go apart from values_, whose last value may be open yet.
void FieldScanner::keep_values() {
  for (FieldSlot& s : names_.slots()) {
    if (s.in_place == nullptr) continue;
    s.value_start = kept_.size();
    (void)kept_.append({s.in_place, s.value_size});  // a refusal shows in failed()
    s.in_place = nullptr;
    s.kept = true;
  }
  in_place_ = 0;
}

FieldValue FieldScanner::field(std::size_t i) const {
  assert(i < size());
  const FieldSlot& s = names_.slots()[i];
  const std::span<const unsigned char> value =
      s.in_place != nullptr
          ? std::span(s.in_place, s.value_size)
          : (s.kept ? kept_ : values_).bytes().subspan(s.value_start, s.value_size);
  return {{s.name, s.name_size}, value, s.present};
}

// From line to line that may name a wanted field, where no value is open
// and no line's name cut before the bytes, in one loop, a value of one line
// left where it stands, up to the header's empty line or the bytes' end.
// A value that may go on in the next line or goes on past the bytes, or a
// line whose name is not told where it stands, is left to the steps: the
// loop answers where they go on. What a line names is told inline here, as
// a call a line would cost as much.
[[gnu::flatten]] FieldScanner::Reached FieldScanner::scan_lines(const unsigned char* p,
                                                                const unsigned char* end) {
  if (open_ != nullptr || place_ == Place::InName || place_ == Place::InValue) return {p, false};
  const std::size_t wanted = names_.slots().size();
  const ByteSet& first = names_.first_bytes();
  if (place_ == Place::PassingOver) p += find_line_start_among({p, end}, first);
  while (p != end && found_ != wanted) {
    // p starts a line.
    if (starts_empty_line(p, end)) {
      place_ = Place::Done;  // the header's end
      return {p, true};
    }
    const bool first_line = first_line_;
    first_line_ = false;
    if (!first.members[*p] || (end - p >= 2 && !names_.may_begin(p[0], p[1]))) {
      p += find_line_start_among({p, end}, first);
      continue;
    }
    const FieldNames::Found found = names_.named_at(p, end, first_line);
    if (!found.known) {
      in_first_line_ = first_line;
      name_.shrink_to(0);
      place_ = Place::InName;
      return {p, false};
    }
    if (found.slot == nullptr) {
      p += find_line_start_among({p, end}, first);
      continue;
    }
    const unsigned char* const value = open_value(found.slot, found.colon);
    const unsigned char* const lf = value + find_line_feed({value, end});
    // Its line goes on past the bytes, or the next line may go on with it:
    // open, in InValue.
    if (end - lf < 2 || is_blank(lf[1])) return {value, false};
    leave_in_place({value, lf > value && lf[-1] == kCr ? lf - 1 : lf});
    p = lf + 1;
  }
  place_ = found_ == wanted ? Place::Done : place_at(end);  // else p is the bytes' end
  return {p, false};
}

// A line's first byte tells whether it goes on the value before it, may name
// a wanted field, or is passed over. The empty line that ends the header is
// one of the last.
const unsigned char* FieldScanner::at_line_start(const unsigned char* p, const unsigned char* end) {
  in_first_line_ = first_line_;
  first_line_ = false;
  if (is_blank(*p)) {
    place_ = open_ != nullptr ? Place::InValue : Place::PassingOver;
    in_fold_ = open_ != nullptr && one_space_folds_;
    if (in_fold_) append_value(&kSpace, &kSpace + 1);  // the one SP of the fold's run
    return p;
  }
  if (open_ != nullptr) close_value();
  if (found_ == names_.slots().size()) {
    place_ = Place::Done;
  } else if (names_.first_bytes().members[*p] && (end - p < 2 || names_.may_begin(p[0], p[1]))) {
    name_.shrink_to(0);  // a refusal stays set for the header
    place_ = Place::InName;
  } else {
    place_ = Place::PassingOver;
  }
  return p;
}

// The names are tried where they stand, unless the bytes end too soon.
const unsigned char* FieldScanner::in_name(const unsigned char* p, const unsigned char* end) {
  if (name_.size() > 0) return in_cut_name(p, end);  // the line began in earlier bytes
  const FieldNames::Found found = names_.named_at(p, end, in_first_line_);
  if (!found.known) return in_cut_name(p, end);
  if (found.slot != nullptr) return open_value(found.slot, found.colon);
  place_ = Place::PassingOver;
  return p;
}

// A line cut before its colon: its first bytes are kept until the colon
// comes. The name runs to the first colon; a line with none names no field.
const unsigned char* FieldScanner::in_cut_name(const unsigned char* p, const unsigned char* end) {
  const unsigned char* const colon = find(p, end, kColon);
  const unsigned char* const lf = find(p, colon != nullptr ? colon : end, kLf);
  if (lf != nullptr) {
    place_ = Place::LineStart;
    return lf + 1;
  }
  if (colon == nullptr) {
    if (!carry_name(p, end)) place_ = Place::PassingOver;
    return end;
  }
  if (!carry_name(p, colon)) {
    place_ = Place::PassingOver;
    return colon + 1;
  }
  FieldSlot* const slot = names_.named_by(name_.bytes(), in_first_line_);
  if (slot != nullptr) return open_value(slot, colon);
  place_ = Place::PassingOver;
  return colon + 1;
}

const unsigned char* FieldScanner::open_value(FieldSlot* slot, const unsigned char* colon) {
  slot->present = true;
  ++found_;
  slot->value_start = values_.size();
  open_ = slot;
  place_ = Place::InValue;
  return colon + 1;
}

// Keeps a cut line's first bytes up to the names' limit; beyond that, only
// SP and TAB may follow for the line to name a field. Answers whether it
// still may.
bool FieldScanner::carry_name(const unsigned char* p, const unsigned char* end) {
  const std::size_t limit = names_.name_limit();
  const std::size_t room = limit - std::min(limit, name_.size());
  const std::size_t take = std::min(room, static_cast<std::size_t>(end - p));
  (void)name_.append({p, take});  // a refusal shows in failed()
  return std::all_of(p + take, end, is_blank);
}

// Up to the line's end, or to the end of the bytes, into the value; a CR
// right before the LF belongs to the line end.
const unsigned char* FieldScanner::in_value(const unsigned char* p, const unsigned char* end) {
  if (in_fold_) {
    p = std::find_if_not(p, end, is_blank);
    if (p == end) return end;
    in_fold_ = false;
  }
  if (held_cr_) {
    held_cr_ = false;
    if (*p != kLf) append_value(&kCr, &kCr + 1);
  }
  const unsigned char* const lf = p + find_line_feed({p, end});
  if (lf == end) {
    held_cr_ = end[-1] == kCr;  // the next bytes tell
    append_value(p, held_cr_ ? end - 1 : end);
    return end;
  }
  const unsigned char* const line_end = lf > p && lf[-1] == kCr ? lf - 1 : lf;
  place_ = Place::LineStart;
  // A value whose first line is whole here, and that the next line does not
  // go on, stays where it stands.
  if (values_.size() == open_->value_start && end - lf > 1 && !is_blank(lf[1])) {
    leave_in_place({p, line_end});
    return lf + 1;
  }
  append_value(p, line_end);
  return lf + 1;
}

// Where bytes that end at end leave a header no value is open in: at a
// line's start if they end with a LF, else in a line nobody wants.
FieldScanner::Place FieldScanner::place_at(const unsigned char* end) {
  return end[-1] == kLf ? Place::LineStart : Place::PassingOver;
}

// No value is open: the lines up to the next that may name a wanted field
// need not be looked at.
const unsigned char* FieldScanner::pass_over(const unsigned char* p, const unsigned char* end) {
  const unsigned char* const start = p + find_line_start_among({p, end}, names_.first_bytes());
  place_ = start != end ? Place::LineStart : place_at(end);
  return start;
}

// The open value is the line, its SP and TAB at both ends dropped, where it
// stands in the bytes fed; it is closed.
void FieldScanner::leave_in_place(std::span<const unsigned char> line) {
  const std::span<const unsigned char> value = trim_blanks(line);
  open_->in_place = value.data();
  open_->value_size = value.size();
  open_ = nullptr;
  ++in_place_;
}

// A value's SP and TAB at its start are dropped as they come, those at its
// end when it closes.
void FieldScanner::append_value(const unsigned char* p, const unsigned char* end) {
  if (values_.size() == open_->value_start) p = std::find_if_not(p, end, is_blank);
  (void)values_.append({p, end});  // a refusal shows in failed()
}

void FieldScanner::close_value() {
  if (open_ == nullptr) return;
  // Its start has no SP or TAB: they were dropped as they came.
  const std::size_t size =
      open_->value_start + trim_blanks(values_.bytes().subspan(open_->value_start)).size();
  values_.shrink_to(size);
  open_->value_size = size - open_->value_start;
  open_ = nullptr;
}

}  // namespace fieldsift
