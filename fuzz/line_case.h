#pragma once

// What one fuzzer input asks the line path fuzz target to do. The input is
// read front to back; a field the input is too short for reads as zero.
//
//   byte     flags: bits 0-1 input kind, 2-3 output kind (each Pipe, DiskFile,
//            Device, modulo 3), bit 4 a wrong command line, bit 5 failing
//            writes, bit 6 a failure that is a gone reader
//   byte     name length L (modulo 32), then L bytes of name (cut at a NUL,
//            as a command line cannot hold one)
//   byte     number of read cuts C (modulo 16), then C cuts of 2 bytes
//            each: below 0x8000 a cut of 1 to 32 bytes, below 0xC000 1 to
//            8,193, else (C - 0xBFFF) * 8, up to 131,072 (a large read)
//   2 bytes  stretch code S, 2 bytes stretch position P: from S = 0xF000
//            on, (S - 0xEFFF) * 18 copies (up to 73,728) of the input byte
//            at P are put in at P, so that a short fuzzer input can hold a
//            line longer than the program's line buffer; smaller S (most
//            inputs) put in nothing, which keeps the runs fast
//   byte     request size for the direct text_read check (1 to 255; 0xFF:
//            a large read's size)
//   byte     line buffer size for the direct LineReader check (2 to 257)
//   byte     lines whose rest the LineReader check leaves unread (bit i of
//            the byte: line numbers that are i modulo 8)
//   2 bytes  bytes the output takes before its writes fail (with bit 5)
//   rest     the input text
//
// Numbers are little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "textio/platform/stream_kind.h"

namespace fieldsift::fuzz {

struct LineCase {
  StreamKind in_kind = StreamKind::Pipe;
  StreamKind out_kind = StreamKind::Pipe;
  bool wrong_command_line = false;
  bool failing_writes = false;
  bool gone_reader = false;
  std::string name;
  std::vector<std::size_t> cuts;  // read sizes, used in turn; empty: one read
  std::size_t read_request = 1;
  std::size_t line_buffer_size = 2;
  unsigned skip_rest_mask = 0;
  std::size_t write_budget = 0;
  std::string input;
};

[[nodiscard]] LineCase decode_line_case(const std::uint8_t* data, std::size_t size);

}  // namespace fieldsift::fuzz
