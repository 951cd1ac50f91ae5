// Fuzz target: the whole line path. The fuzzer's input picks the stream
// kinds, a header name and where the system cuts the reads (see
// line_case.h); the program runs over scripted standard streams, and what it
// writes is held against the plain model of the rules (support/line_model.h).

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "direct_checks.h"
#include "line_case.h"
#include "run.h"
#include "support/line_model.h"
#include "support/scripted_channel.h"
#include "support/scripted_run.h"
#include "textio/text_mode.h"

namespace fieldsift::fuzz {
namespace {

using testing::ScriptedChannel;

struct Outcome {
  int status;
  std::string out;
  std::string err;
  std::size_t reads;
};

// Text mode hands the system no piece larger than its stage.
void check_pieces(const ScriptedChannel& channel) {
  for (const std::string& piece : channel.pieces())
    check(piece.size() <= kWriteStageSize, "a write to the system is larger than the stage");
}

Outcome run_program(const LineCase& c, std::string_view input, const std::vector<std::size_t>& cuts,
                    bool failing_writes) {
  ScriptedChannel in(c.in_kind);
  ScriptedChannel out(c.out_kind);
  ScriptedChannel err(StreamKind::Device);
  script_input(in, input, cuts);
  if (failing_writes) out.fail_writes_after(c.write_budget, c.gone_reader ? EPIPE : EIO);
  std::vector<const char*> args = {"fieldsift", c.name.c_str()};
  if (c.wrong_command_line) {
    if (c.name.size() % 2 == 0)
      args.push_back("Subject:");
    else
      args.pop_back();
  }
  const int status = testing::run_over(args, in, out, err);
  check_pieces(out);
  check_pieces(err);
  return {status, out.written(), err.written(), in.reads()};
}

void check_usage(const LineCase& c) {
  const Outcome o = run_program(c, c.input, c.cuts, false);
  check(o.status == 2, "a wrong command line does not give status 2");
  check_equal(o.out, "fieldsift: fieldsift, Ver 0.1\r\nusage: fieldsift \"Hoge:\"\r\n",
              "a wrong command line does not give the usage text");
  check(o.reads == 0, "a wrong command line reads input");
}

// Output that fails part-way keeps exactly the bytes it took; the failure
// is reported unless the reader has gone.
void check_failing_output(const LineCase& c, const std::string& expected) {
  const Outcome o = run_program(c, c.input, c.cuts, true);
  check_equal(o.out, std::string_view(expected).substr(0, c.write_budget),
              "failing output does not hold exactly the bytes it took");
  const bool reported = c.write_budget < expected.size() && !c.gone_reader;
  check(o.status == (reported ? 2 : 0), "wrong exit status after failing writes");
  check_equal(o.err, reported ? "stdout: Input/output error\r\n" : "",
              "wrong report of failing writes");
}

void check_exact(const LineCase& c) {
  const std::string text = model::delivered_text(c.input);
  const std::vector<std::string> lines = model::lines_of(text);
  const std::string expected = model::selected_output(c.name, lines);
  const Outcome whole = run_program(c, c.input, {}, false);
  const Outcome cut = run_program(c, c.input, c.cuts, false);
  check_equal(cut.out, whole.out, "output depends on where the reads are cut");
  const Outcome crlf = run_program(c, model::crlf_input(c.input), c.cuts, false);
  check_equal(crlf.out, whole.out, "CR LF input is not read like LF input");
  check_equal(whole.out, expected, "output is not the selected input lines, each ending in CR LF");
  check(whole.status == 0 && cut.status == 0 && whole.err.empty(), "a clean run fails");
  if (c.failing_writes) check_failing_output(c, expected);
  check_text_read(c, text);
  check_line_reader(c, lines);
}

// From a device, a 0x1A drops the rest of its read only, so what is written
// depends on the cuts; it must still be made of selected input lines.
void check_plausible(const LineCase& c) {
  const Outcome o = run_program(c, c.input, c.cuts, false);
  check(o.status == 0 && o.err.empty(), "a clean run fails");
  check(model::plausible_output(c.name, c.input, o.out),
        "device output is not made of selected input lines in input order");
}

}  // namespace
}  // namespace fieldsift::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fieldsift::fuzz;
  const LineCase c = decode_line_case(data, size);
  if (c.wrong_command_line) {
    check_usage(c);
  } else if (c.in_kind == fieldsift::StreamKind::Device &&
             c.input.find('\x1a') != std::string::npos) {
    check_plausible(c);
  } else {
    check_exact(c);
  }
  return 0;
}
