// SPDX-License-Identifier: BSD-2-Clause
#include <span>

#include "headsift_run.h"
#include "std_streams.h"
#include "textio/platform/platform.h"

int main(int argc, char** argv) {
  using namespace fieldsift;
  start_platform();
  static StdStreams streams(kHeadsiftMode, PipeBlocks::Large);
  static NamedFile named;
  static OutputFile output_file;
  const HeadsiftStreams run_streams{streams.in_channel, named,       output_file,
                                    streams.in_buffer,  streams.out, streams.err_text,
                                    input_is_output()};
  const int status =
      run_headsift(std::span<const char* const>(argv, static_cast<std::size_t>(argc)), run_streams);
  exit_process(finish_output(streams.out, streams.err_text, kHeadsift, status));
}
