// SPDX-License-Identifier: BSD-2-Clause
#include <array>
#include <span>

#include "run.h"
#include "std_streams.h"
#include "textio/platform/platform.h"

int main(int argc, char** argv) {
  using namespace fieldsift;
  start_platform();
  // Static, not on the stack: the line area alone is 64 KiB.
  static StdStreams streams(StreamMode::Text, PipeBlocks::Small);
  static std::array<unsigned char, kLineBufferSize> line_area{};
  static TextInput in_text(streams.in_channel, StreamMode::Text);
  LineReader in(in_text, streams.in_buffer);
  const RunStreams run_streams{in, streams.out, streams.err_text, line_area, input_is_output()};
  const int status =
      run(std::span<const char* const>(argv, static_cast<std::size_t>(argc)), run_streams);
  exit_process(finish_output(streams.out, streams.err_text, "", status));
}
