#include "direct_checks.h"

#include <optional>

#include "check.h"
#include "support/line_model.h"
#include "support/scripted_streams.h"
#include "textio/line_reader.h"
#include "textio/text_mode.h"

namespace fieldsift::fuzz {

using testing::ReadStep;
using testing::ScriptedChannel;
using testing::string_of;

void script_input(ScriptedChannel& channel, std::string_view input,
                  const std::vector<std::size_t>& cuts) {
  channel.script({ReadStep{std::string(input)}});
  channel.cut_reads(cuts);
}

void check_text_read(const LineCase& c, std::string_view text) {
  ScriptedChannel channel(c.in_kind);
  script_input(channel, c.input, c.cuts);
  TextInput in{channel};
  std::vector<unsigned char> buffer(c.read_request + kSettlingRoom);
  std::string delivered;
  std::size_t raw = 0;  // bytes delivered, line ends as they came
  for (;;) {
    const IoResult r = text_read(in, buffer);
    check(r.error == 0, "text_read fails though no read failed");
    check(r.count <= buffer.size(), "text_read delivers more bytes than asked for");
    if (r.count == 0) break;
    raw += r.count;
    // Each CR LF pair within a delivery is one line end.
    delivered += model::without_cr_before_lf(string_of(std::span(buffer).first(r.count)));
    check(raw <= c.input.size(), "text_read delivers more bytes than the input holds");
  }
  check_equal(delivered, text, "text_read does not deliver the input's text");
}

void check_line_reader(const LineCase& c, const std::vector<std::string>& lines) {
  ScriptedChannel channel(c.in_kind);
  script_input(channel, c.input, c.cuts);
  testing::ScriptedInput in(channel);
  LineReader& reader = in.reader;
  std::vector<unsigned char> buffer(c.line_buffer_size);
  std::size_t n = 0;
  while (const std::optional<Line> line = reader.read_line(buffer)) {
    check(n < lines.size(), "the LineReader yields more lines than the input holds");
    check(line->head.size() < buffer.size(), "a line's head leaves no room for its NUL");
    std::string text = string_of(line->head);
    const bool skip = ((c.skip_rest_mask >> (n % 8)) & 1U) != 0;
    if (line->has_rest && !skip) {
      for (auto piece = reader.read_rest(); !piece.empty(); piece = reader.read_rest()) {
        text += string_of(piece);
        check(text.size() <= lines[n].size(), "the rest of a line runs past its end");
      }
    }
    if (line->has_rest && skip) {
      check(lines[n].starts_with(text), "a line's head is not the start of the line");
    } else {
      check_equal(text, lines[n], "the LineReader does not yield the input's lines whole");
    }
    ++n;
  }
  check(n == lines.size(), "the LineReader loses lines");
}

}  // namespace fieldsift::fuzz
