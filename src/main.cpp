// SPDX-License-Identifier: BSD-2-Clause
#include <span>

#include "run.h"
#include "std_streams.h"
#include "textio/platform/platform.h"

int main(int argc, char** argv) {
  using namespace fieldsift;
  start_platform();
  // Static, not on the stack: its line area alone is 64 KiB.
  static StdStreams streams(StreamMode::Text, PipeBlocks::Small);
  const RunStreams run_streams{streams.in, streams.out, streams.err_text, streams.line_area,
                               input_is_output()};
  const int status =
      run(std::span<const char* const>(argv, static_cast<std::size_t>(argc)), run_streams);
  exit_process(finish_output(run_streams, status));
}
