#pragma once

// One run of the whole program, entry to exit status, over scripted
// standard streams.

#include <array>
#include <cstddef>
#include <span>
#include <string>

#include "headsift_run.h"
#include "run.h"
#include "support/scripted_channel.h"
#include "support/scripted_files.h"
#include "support/scripted_streams.h"
#include "textio/error_report.h"

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
  ScriptedInput input(in);
  ScriptedOutput output(out);
  std::array<unsigned char, kReportStageSize> report_area{};
  StreamBuffer err_stage(report_area);
  TextOutput err_text(err, err_stage);
  std::vector<unsigned char> line_area(kLineBufferSize);
  const RunStreams streams{input.reader, output.writer, err_text, line_area};
  return finish_output(output.writer, err_text, "", run(args, streams));
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

// The exit status of one headsift run over the caller's channels, its
// streams set up as its entry sets them up.
inline int run_headsift_over(std::span<const char* const> args, ScriptedChannel& in,
                             ScriptedFiles& files, ScriptedChannel& out, ScriptedChannel& err,
                             bool input_is_output = false) {
  ScriptedOutput output(out, StreamMode::Binary, PipeBlocks::Large);
  std::array<unsigned char, kReportStageSize> report_area{};
  StreamBuffer err_stage(report_area);
  TextOutput err_text(err, err_stage, StreamMode::Binary);
  StreamBuffer in_buffer;
  ScriptedOutputFile output_file;
  const HeadsiftStreams streams{in,       files,          output_file, in_buffer, output.writer,
                                err_text, input_is_output};
  return finish_output(output.writer, err_text, kHeadsift, run_headsift(args, streams));
}

}  // namespace fieldsift::testing
