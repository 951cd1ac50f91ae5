// SPDX-License-Identifier: BSD-2-Clause
#include "run.h"

#include <cerrno>
#include <string_view>

#include "bytes/bytes_of.h"
#include "filter/header_selector.h"
#include "textio/error_report.h"

namespace fieldsift {
namespace {

void write_usage(LineWriter& out) {
  (void)out.write_line(bytes_of("fieldsift: fieldsift, Ver 0.1"));
  (void)out.write_line(bytes_of("usage: fieldsift \"Hoge:\""));
}

// Writes a selected line whole: a line longer than its head arrives in pieces.
void write_selected(const Line& line, LineReader& in, LineWriter& out) {
  if (!line.has_rest) {
    (void)out.write_line(line.head);
    return;
  }
  (void)out.write_part(line.head);
  for (auto piece = in.read_rest(); !piece.empty(); piece = in.read_rest())
    (void)out.write_part(piece);
  (void)out.end_line();
}

// The next line the selector needs to see. The line after a printed one
// is often known by its first byte alone, and lines that cannot change
// anything are passed over in bulk instead of one by one.
std::optional<Line> next_line(LineReader& in, HeaderSelector& selector,
                              std::span<unsigned char> line_buffer) {
  if (selector.printing()) {
    if (const std::optional<unsigned char> first = in.peek_line_start())
      selector.pass_over_line_starting(*first);
  }
  if (const std::optional<ByteMatch> first = selector.awaited_first_byte()) {
    in.skip_lines_not_starting_with(*first);
  }
  return in.read_line(line_buffer);
}

// Room for a line's head that reaches past the name, however long the name
// is: the line area, or for a name as long as that area, one obtained for it.
// Empty if there is no memory for it.
struct LineBuffer {
  LineBuffer(std::size_t name_size, std::span<unsigned char> area) {
    if (name_size < area.size()) {
      bytes = area;
      return;
    }
    heap = allocate_bytes(name_size + 1);
    if (heap) bytes = {heap.get(), name_size + 1};
  }
  HeapBytes heap;
  std::span<unsigned char> bytes;
};

}  // namespace

int run(std::span<const char* const> args, RunStreams streams) {
  if (args.size() != 2) {
    write_usage(streams.out);
    return kExitFailure;
  }
  if (streams.input_is_output) {
    report_error(streams.err, "stdin", kInputIsOutput);
    return kExitFailure;
  }
  const std::string_view name = args[1];
  const LineBuffer line_buffer(name.size(), streams.line_area);
  if (line_buffer.bytes.empty()) {
    report_error(streams.err, "fieldsift", ENOMEM);
    return kExitFailure;
  }
  HeaderSelector selector(name);
  while (const std::optional<Line> line = next_line(streams.in, selector, line_buffer.bytes)) {
    if (selector.feed(line->head)) write_selected(*line, streams.in, streams.out);
  }
  if (streams.in.failed()) {
    report_error(streams.err, "stdin", streams.in.error());
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace fieldsift
