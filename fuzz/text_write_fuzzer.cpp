// Fuzz target: text_write's staging. Bytes written in requests of any size
// must reach the system as exactly the source with each LF as CR LF, one
// write per request, or, for a request of more than half the stage, one
// write per half a stage of source.
//
// Input: a byte R, then 1 + R % 8 request sizes of 2 bytes each (a code
// below 0xC000: 1 to 4,100; from 0xC000 on: (code - 0xBFFF) * 12, up to
// 196,608; used in turn); a flags byte (bit 0: writes fail once the system
// has taken B bytes, bit 1: an empty request before each, bit 2: the source
// is the rest of the input 40 times over, to reach past half the stage); 2
// bytes B; the rest is the source. Numbers are little-endian.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/bytes_of.h"
#include "check.h"
#include "support/line_model.h"
#include "support/scripted_channel.h"
#include "support/scripted_streams.h"
#include "textio/text_mode.h"

namespace fieldsift::fuzz {
namespace {

using model::with_crlf_line_ends;
using testing::bytes_of;
using testing::ScriptedChannel;

constexpr std::size_t kHalfStage = kWriteStageSize / 2;  // source bytes of one full write

struct WriteCase {
  std::vector<std::size_t> requests;
  bool failing_writes = false;
  bool empty_requests = false;
  std::size_t write_budget = 0;
  std::string source;
};

WriteCase decode(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  const auto byte = [&]() -> std::size_t { return pos < size ? data[pos++] : 0U; };
  const auto two_bytes = [&]() {
    const std::size_t low = byte();
    return low | byte() << 8;
  };
  WriteCase c;
  for (std::size_t n = 1 + byte() % 8; n > 0; --n) {
    const std::size_t code = two_bytes();
    c.requests.push_back(code < 0xC000 ? 1 + code % 4100 : (code - 0xBFFF) * 12);
  }
  const std::size_t flags = byte();
  c.failing_writes = (flags & 1U) != 0;
  c.empty_requests = (flags & 2U) != 0;
  c.write_budget = two_bytes();
  if (pos < size) c.source.assign(reinterpret_cast<const char*>(data + pos), size - pos);
  if ((flags & 4U) != 0) {
    const std::string once = c.source;
    for (int i = 1; i < 40; ++i) c.source += once;
  }
  return c;
}

void check_empty_request(TextOutput& stream, const ScriptedChannel& channel) {
  const std::size_t pieces = channel.pieces().size();
  const IoResult r = text_write(stream, {});
  check(r.count == 0 && channel.pieces().size() == pieces, "an empty request writes something");
}

// Every write but the last of a request carries half a stage of source.
void check_pieces(const std::vector<std::string>& pieces, std::size_t first,
                  std::string_view request) {
  check(pieces.size() - first == (request.size() + kHalfStage - 1) / kHalfStage,
        "a request goes out in more writes than half-stage pieces of its source");
  for (std::size_t i = first; i < pieces.size(); ++i) {
    const std::string_view source = request.substr((i - first) * kHalfStage, kHalfStage);
    check(pieces[i].size() == with_crlf_line_ends(source).size(),
          "a write does not hold the translation of half a stage of source");
  }
}

void write_request(TextOutput& stream, const ScriptedChannel& channel, std::string_view request) {
  const std::size_t first_piece = channel.pieces().size();
  const std::size_t before = channel.written().size();
  const IoResult r = text_write(stream, bytes_of(request));
  const std::string_view taken = std::string_view(channel.written()).substr(before);
  const std::string translated = with_crlf_line_ends(request);
  check(r.count <= request.size(), "text_write counts more bytes than it was given");
  if (r.error == 0) {
    check(r.count == request.size(), "text_write counts fewer bytes than it wrote");
    check_equal(taken, translated, "text_write does not write the request with LF as CR LF");
    check_pieces(channel.pieces(), first_piece, request);
  } else {
    check(r.error == EIO, "text_write answers another failure than the system's");
    check(translated.starts_with(taken), "text_write writes bytes that are not the request's");
    check(taken.starts_with(with_crlf_line_ends(request.substr(0, r.count))),
          "text_write counts source bytes that did not go out");
  }
}

}  // namespace
}  // namespace fieldsift::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fieldsift::fuzz;
  const WriteCase c = decode(data, size);
  ScriptedChannel channel(fieldsift::StreamKind::Pipe);
  if (c.failing_writes) channel.fail_writes_after(c.write_budget, EIO);
  fieldsift::testing::ScriptedOutput output(channel);
  fieldsift::TextOutput& stream = output.text;
  const std::string_view source = c.source;
  for (std::size_t pos = 0, i = 0; pos < source.size(); ++i) {
    if (c.empty_requests) check_empty_request(stream, channel);
    const std::size_t n = std::min(c.requests[i % c.requests.size()], source.size() - pos);
    write_request(stream, channel, source.substr(pos, n));
    pos += n;
  }
  const std::string expected = with_crlf_line_ends(source);
  const std::size_t kept =
      c.failing_writes ? std::min(c.write_budget, expected.size()) : expected.size();
  check_equal(channel.written(), std::string_view(expected).substr(0, kept),
              "the system does not get the source with each LF as CR LF");
  return 0;
}
