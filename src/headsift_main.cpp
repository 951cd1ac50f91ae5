// SPDX-License-Identifier: BSD-2-Clause
#include <span>

#include "headsift_run.h"
#include "std_streams.h"
#include "textio/platform/platform.h"

int main(int argc, char** argv) {
  using namespace fieldsift;
  start_platform();
  // Static, not on the stack: it holds fieldsift's 64 KiB line area too.
  static StdStreams streams(StreamMode::Binary, PipeBlocks::Large);
  const HeadsiftStreams run_streams{streams.in_channel, streams.named_channel, streams.in_buffer,
                                    streams.out, streams.err_text};
  const int status =
      run_headsift(std::span<const char* const>(argv, static_cast<std::size_t>(argc)), run_streams);
  exit_process(finish_headsift(run_streams, status));
}
