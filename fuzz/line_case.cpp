#include "line_case.h"

#include <algorithm>

#include "textio/line_reader.h"

namespace fieldsift::fuzz {
namespace {

// Reads the fuzzer input front to back; past its end every byte is zero.
struct ByteSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;

  unsigned byte() { return pos < size ? data[pos++] : 0U; }

  std::size_t number(int bytes) {
    std::size_t n = 0;
    for (int i = 0; i < bytes; ++i) n |= static_cast<std::size_t>(byte()) << (8 * i);
    return n;
  }

  std::string take(std::size_t n) {
    const std::size_t start = std::min(pos, size);
    const std::size_t count = std::min(n, size - start);
    pos = start + count;
    return {reinterpret_cast<const char*>(data + start), count};
  }
};

StreamKind kind_of(unsigned bits) {
  constexpr StreamKind kKinds[] = {StreamKind::Pipe, StreamKind::DiskFile, StreamKind::Device};
  return kKinds[bits % 3];
}

// Mostly short cuts, some of up to two buffers of a terminal's reads, and
// some (in steps of 8) of up to a whole large read.
std::size_t cut_of(std::size_t n) {
  if (n < 0x8000) return 1 + n % 32;
  if (n < 0xC000) return 1 + n % 8193;
  return (n - 0xBFFF) * 8;
}

// Puts `count` copies of the byte at `at` in front of it.
void stretch(std::string& input, std::size_t count, std::size_t at) {
  if (input.empty() || count == 0) return;
  at %= input.size();
  input.insert(at, count, input[at]);
}

}  // namespace

LineCase decode_line_case(const std::uint8_t* data, std::size_t size) {
  ByteSource src{data, size};
  LineCase c;
  const unsigned flags = src.byte();
  c.in_kind = kind_of(flags & 3U);
  c.out_kind = kind_of((flags >> 2) & 3U);
  c.wrong_command_line = (flags & 0x10U) != 0;
  c.failing_writes = (flags & 0x20U) != 0;
  c.gone_reader = (flags & 0x40U) != 0;
  c.name = src.take(src.byte() % 32);
  c.name = c.name.substr(0, c.name.find('\0'));
  for (unsigned n = src.byte() % 16; n > 0; --n) c.cuts.push_back(cut_of(src.number(2)));
  const std::size_t stretch_code = src.number(2);
  const std::size_t stretch_count = stretch_code < 0xF000 ? 0 : (stretch_code - 0xEFFF) * 18;
  const std::size_t stretch_at = src.number(2);
  const unsigned request = src.byte();
  c.read_request = request == 0xFF ? kLargeReadSize : 1 + request;
  c.line_buffer_size = 2 + src.byte();
  c.skip_rest_mask = src.byte();
  c.write_budget = src.number(2);
  c.input = src.take(size);
  stretch(c.input, stretch_count, stretch_at);
  return c;
}

}  // namespace fieldsift::fuzz
