// Fuzz target: headsift's message rule, through the whole program. The
// fuzzer's input picks the output's kind and where the system cuts the
// reads; what headsift writes is held against the plain model of the rule
// (support/header_model.h), which does not depend on the cuts.
//
//   byte     bits 0-1: the output's kind (Pipe, DiskFile, Device, modulo 3)
//   byte     number of read cuts C (modulo 8), then C bytes, each a cut of
//            that many bytes (0: 256)
//   rest     the input

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "support/header_model.h"
#include "support/scripted_channel.h"
#include "support/scripted_run.h"

namespace fieldsift::fuzz {
namespace {

using testing::ScriptedChannel;

struct HeaderCase {
  StreamKind out_kind = StreamKind::Pipe;
  std::vector<std::size_t> cuts;
  std::string input;
};

HeaderCase decode(const std::uint8_t* data, std::size_t size) {
  HeaderCase c;
  std::size_t pos = 0;
  const auto byte = [&]() -> unsigned { return pos < size ? data[pos++] : 0U; };
  constexpr std::array<StreamKind, 3> kKinds = {StreamKind::Pipe, StreamKind::DiskFile,
                                                StreamKind::Device};
  c.out_kind = kKinds[(byte() & 3U) % 3];
  for (unsigned n = byte() % 8; n > 0; --n) {
    const unsigned cut = byte();
    c.cuts.push_back(cut == 0 ? 256 : cut);
  }
  if (pos < size) c.input.assign(reinterpret_cast<const char*>(data + pos), size - pos);
  return c;
}

// What headsift writes for the input on standard input, read in the given cuts.
std::string run_program(const HeaderCase& c, const std::vector<std::size_t>& cuts) {
  ScriptedChannel in(StreamKind::Pipe);
  in.script({{c.input}});
  if (!cuts.empty()) in.cut_reads(cuts);
  testing::ScriptedFiles files;
  ScriptedChannel out(c.out_kind);
  ScriptedChannel err(StreamKind::Device);
  const std::array<const char*, 1> args = {"headsift"};
  const int status = testing::run_headsift_over(args, in, files, out, err);
  check(status == 0 && err.written().empty(), "a clean run fails");
  return out.written();
}

}  // namespace
}  // namespace fieldsift::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fieldsift::fuzz;
  const HeaderCase c = decode(data, size);
  const std::string expected = fieldsift::model::header_blocks(c.input);
  check_equal(run_program(c, {}), expected, "headsift does not write each header whole");
  check_equal(run_program(c, c.cuts), expected, "headsift's output depends on the cuts");
  return 0;
}
