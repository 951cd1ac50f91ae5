#pragma once

// The program's streams over scripted channels, each with buffers of its own,
// and what a reader over one makes of its input.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "support/scripted_channel.h"
#include "textio/line_reader.h"
#include "textio/line_writer.h"
#include "textio/text_mode.h"

namespace fieldsift::testing {

struct ScriptedInput {
  explicit ScriptedInput(ScriptedChannel& channel, StreamMode mode = StreamMode::Text)
      : text(channel, mode) {}
  TextInput text;
  StreamBuffer buffer;
  LineReader reader{text, buffer};
};

struct ScriptedOutput {
  explicit ScriptedOutput(ScriptedChannel& channel, StreamMode mode = StreamMode::Text,
                          PipeBlocks pipe = PipeBlocks::Small)
      : text(channel, stage, mode), writer(text, block, pipe) {}
  StreamBuffer stage;
  TextOutput text;
  StreamBuffer block;
  LineWriter writer;
};

// Every line of the channel's input, each whole from its head and rest; a
// small line buffer cuts lines into pieces, so that line ends fall at their edges.
inline std::vector<std::string> all_lines(ScriptedChannel& channel,
                                          std::size_t buffer_size = kLineBufferSize) {
  ScriptedInput in(channel);
  std::vector<unsigned char> buffer(buffer_size);
  std::vector<std::string> lines;
  while (const std::optional<Line> line = in.reader.read_line(buffer)) {
    lines.push_back(string_of(line->head));
    if (!line->has_rest) continue;
    for (auto piece = in.reader.read_rest(); !piece.empty(); piece = in.reader.read_rest())
      lines.back() += string_of(piece);
  }
  return lines;
}

}  // namespace fieldsift::testing
