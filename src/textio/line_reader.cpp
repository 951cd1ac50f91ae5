// SPDX-License-Identifier: BSD-2-Clause
#include "textio/line_reader.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "textio/scan/line_scans.h"

namespace fieldsift {

bool LineReader::refill() {
  if (end_pending_) {
    end_pending_ = false;
    return false;
  }
  const IoResult r = text_read(in_, read_room(buffer_, read_buffer_size(in_)));
  pos_ = 0;
  end_ = r.error == 0 ? r.count : 0;
  if (r.error != 0) {
    failed_ = true;
    error_ = r.error;
  }
  return end_ > 0;
}

LineReader::Run LineReader::take_run(std::size_t limit) {
  const std::span<const unsigned char> bytes = unread();
  const std::optional<LineEnd> line_end = text_find_line_end(bytes, pos_);
  const std::size_t len = (line_end ? line_end->text : end_) - pos_;
  // A run cut short by limit leaves its line end, if any, unread.
  const std::size_t take = std::min(len, limit);
  const bool ends_line = line_end && take == len;
  const std::span<const unsigned char> run = bytes.subspan(pos_, take);
  pos_ = ends_line ? line_end->next : pos_ + take;
  return {run, ends_line};
}

std::optional<Line> LineReader::read_line(std::span<unsigned char> line_buffer) {
  assert(line_buffer.size() >= 2);
  assert(in_.mode == StreamMode::Text);  // a line ends where text mode says
  skip_rest();
  const std::size_t capacity = line_buffer.size() - 1;
  std::size_t stored = 0;  // bytes of this line already copied into line_buffer
  for (;;) {
    if (pos_ == end_ && !refill()) {
      if (stored == 0) return std::nullopt;
      return Line{line_buffer.first(stored), false};
    }
    assert(pos_ < end_);
    const Run run = take_run(capacity - stored);
    // A whole line within the stream buffer is handed out where it lies.
    if (stored == 0 && run.ends_line) return Line{run.bytes, false};
    std::memcpy(line_buffer.data() + stored, run.bytes.data(), run.bytes.size());
    stored += run.bytes.size();
    if (run.ends_line) return Line{line_buffer.first(stored), false};
    if (stored == capacity && pos_ < end_) {
      in_line_ = true;
      return Line{line_buffer.first(stored), true};
    }
  }
}

std::span<const unsigned char> LineReader::read_rest() {
  if (!in_line_) return {};
  if (pos_ == end_ && !refill()) {
    in_line_ = false;  // the input ended or failed: so did the line
    return {};
  }
  const Run run = take_run(end_ - pos_);
  if (run.ends_line) in_line_ = false;
  return run.bytes;
}

void LineReader::skip_rest() {
  while (!read_rest().empty()) {
  }
}

void LineReader::skip_lines_not_starting_with(ByteMatch first) {
  skip_rest();
  bool at_line_start = true;  // pos_ is where a line begins
  for (;;) {
    if (pos_ == end_) {
      if (!refill()) {
        // At a line start no line is left; inside one, the end ended that line
        // and the next line is read afresh.
        if (at_line_start) {
          end_pending_ = true;
          return;
        }
        at_line_start = true;
        continue;
      }
    }
    const PassOver pass = pass_over_lines(unread().subspan(pos_), at_line_start, first);
    pos_ += pass.stop;
    if (pass.found) return;
    at_line_start = pass.line_start;
  }
}

std::optional<unsigned char> LineReader::peek_line_start() {
  skip_rest();
  if (pos_ == end_ && !refill()) {
    end_pending_ = true;  // answered by the next refill, as a skip leaves it
    return std::nullopt;
  }
  return unread()[pos_];
}

}  // namespace fieldsift
