// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "message/header_sink.h"
#include "textio/line_writer.h"

namespace fieldsift {

// Each header as it came, its empty line included: headsift's plain output.
class HeaderBlocks {
 public:
  explicit HeaderBlocks(LineWriter& out) : out_(out) {}

  // Inputs follow one another with nothing between them, and nothing of
  // theirs is held that could fail.
  void begin_input(std::string_view /*name*/) {}
  void begin_message(std::uint64_t /*offset*/) {}
  void header_bytes(std::span<const unsigned char> bytes) {
    (void)out_.write_bytes(bytes);  // a failure is the writer's to keep and the run's to read
  }
  void end_header() {}
  // What was read of it has gone out; the failure is the reader's to report.
  void cut_short() {}
  void end_input(std::uint64_t /*size*/) {}
  [[nodiscard]] static int error() { return 0; }

 private:
  LineWriter& out_;
};

}  // namespace fieldsift
