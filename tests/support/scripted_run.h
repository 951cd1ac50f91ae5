#pragma once

// One run of the whole program, entry to exit status, over scripted
// standard streams.

#include <cstddef>
#include <span>
#include <string>

#include "run.h"
#include "support/scripted_channel.h"

namespace fieldsift::testing {

struct RunOutcome {
  int status = 0;
  std::string out;
  std::string err;
  std::size_t reads = 0;  // of standard input
};

// The exit status of one run over the caller's channels.
inline int run_over(std::span<const char* const> args, ScriptedChannel& in, ScriptedChannel& out,
                    ScriptedChannel& err) {
  TextStream in_text{in};
  TextStream out_text{out};
  TextStream err_text{err};
  LineReader reader(in_text);
  LineWriter writer(out_text);
  const RunStreams streams{reader, writer, err_text};
  return finish_output(streams, run(args, streams));
}

// Standard input is the caller's; standard output a pipe whose writes all
// fail with out_error when it is not 0; standard error a device.
inline RunOutcome run_scripted(std::span<const char* const> args, ScriptedChannel& in,
                               int out_error = 0) {
  ScriptedChannel out(StreamKind::Pipe);
  ScriptedChannel err(StreamKind::Device);
  if (out_error != 0) out.fail_writes_after(0, out_error);
  const int status = run_over(args, in, out, err);
  return {status, out.written(), err.written(), in.reads()};
}

}  // namespace fieldsift::testing
