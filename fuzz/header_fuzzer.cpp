// Fuzz target: headsift's message rule and its rows, through the whole
// program. The fuzzer's input picks the output's kind, what is written, and
// where the system cuts the reads; what headsift writes is held against the
// plain models of the rules (support/header_model.h, support/row_model.h
// and its views, support/value_model.h), which do not depend on the cuts.
//
//   byte     bits 0-1: the output's kind (Pipe, DiskFile, Device, modulo 3);
//            bits 2-3: header blocks, -f rows as TSV, or as JSON (modulo 3);
//            bit 4: the input is standard input, or a FILE named m.emlx
//   byte     number of read cuts C (modulo 8), then C bytes, each a cut of
//            that many bytes (0: 256)
//   rest     the input

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "support/header_model.h"
#include "support/row_model.h"
#include "support/scripted_channel.h"
#include "support/scripted_run.h"

namespace fieldsift::fuzz {
namespace {

using testing::ScriptedChannel;

// Names short and long, with and without a colon, that random bytes and the
// seeds' headers hold; and every view, of the fields the seeds hold.
constexpr const char* kFields =
    "s,From,subject:,x-y,date:iso,received:epoch,from:addr,from:name,to:addr,"
    "message-id:id,:parent,:size";

enum class Output { Blocks, Tsv, Json };

struct HeaderCase {
  StreamKind out_kind = StreamKind::Pipe;
  Output output = Output::Blocks;
  bool emlx = false;
  std::vector<std::size_t> cuts;
  std::string input;
};

HeaderCase decode(const std::uint8_t* data, std::size_t size) {
  HeaderCase c;
  std::size_t pos = 0;
  const auto byte = [&]() -> unsigned { return pos < size ? data[pos++] : 0U; };
  constexpr std::array<StreamKind, 3> kKinds = {StreamKind::Pipe, StreamKind::DiskFile,
                                                StreamKind::Device};
  const unsigned first = byte();
  c.out_kind = kKinds[(first & 3U) % 3];
  c.output = static_cast<Output>((first >> 2U & 3U) % 3);
  c.emlx = (first >> 4U & 1U) != 0;
  for (unsigned n = byte() % 8; n > 0; --n) {
    const unsigned cut = byte();
    c.cuts.push_back(cut == 0 ? 256 : cut);
  }
  if (pos < size) c.input.assign(reinterpret_cast<const char*>(data + pos), size - pos);
  return c;
}

// The input's name as rows give it.
const char* name_of(const HeaderCase& c) { return c.emlx ? "m.emlx" : "stdin"; }

// What headsift writes for the input on standard input, or in an .emlx
// file, read in the given cuts.
std::string run_program(const HeaderCase& c, const std::vector<std::size_t>& cuts) {
  ScriptedChannel in(StreamKind::Pipe);
  testing::ScriptedFiles files;
  if (c.emlx) {
    files.add(name_of(c), {{{c.input}}, 0, false, StreamKind::DiskFile, cuts});
  } else {
    in.script({{c.input}});
    if (!cuts.empty()) in.cut_reads(cuts);
  }
  ScriptedChannel out(c.out_kind);
  ScriptedChannel err(StreamKind::Device);
  std::vector<const char*> args = {"headsift"};
  if (c.output != Output::Blocks) args.insert(args.end(), {"-f", kFields});
  if (c.output == Output::Json) args.push_back("--json");
  if (c.emlx) args.push_back(name_of(c));
  const int status = testing::run_headsift_over(args, in, files, out, err);
  check(status == 0 && err.written().empty(), "a clean run fails");
  return out.written();
}

}  // namespace
}  // namespace fieldsift::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fieldsift::fuzz;
  const HeaderCase c = decode(data, size);
  namespace model = fieldsift::model;
  const model::Form form = c.emlx ? model::Form::Emlx : model::Form::Plain;
  const std::string whole = run_program(c, {});
  check_equal(run_program(c, c.cuts), whole, "headsift's output depends on the cuts");
  if (c.output == Output::Blocks) {
    check_equal(whole, model::header_blocks(c.input, form),
                "headsift does not write what the models say");
    return 0;
  }
  const auto format = c.output == Output::Tsv ? model::Rows::Tsv : model::Rows::Json;
  check_equal(whole, *model::rows(format, c.input, name_of(c), kFields, form),
              "headsift does not write what the models say");
  return 0;
}
