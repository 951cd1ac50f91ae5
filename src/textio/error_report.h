// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <string_view>

#include "textio/text_mode.h"

namespace fieldsift {

// A report of up to kReportLineSize bytes, line end included, goes out in
// one write; a longer one (a long file name) in more. Text mode's stage
// holds the translation of that much source whatever it holds.
inline constexpr std::size_t kReportLineSize = 512;
inline constexpr std::size_t kReportStageSize = 2 * kReportLineSize;

// How a byte of a name stands in a report: a control byte (one below 0x20,
// and 0x7F) as '?', so that a name of any bytes leaves the report one line
// that does nothing to a terminal; any other byte, those of a UTF-8 name
// among them, as it is.
[[nodiscard]] constexpr unsigned char shown_in_name(unsigned char byte) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7F;
  return byte < kFirstPrintable || byte == kDelete ? static_cast<unsigned char>('?') : byte;
}

// Why an input that is also the output is refused: reading a file the
// program is appending to would never end, and writing over it would destroy
// input not yet read.
inline constexpr std::string_view kInputIsOutput = "Input file is also the output";

// "prefix: description" and a line end, in one write to the stream with no
// buffering. A failure to report is not reported.
void report_error(TextOutput& err, std::string_view prefix, std::string_view description);

// The same with the platform's text for an error number.
void report_error(TextOutput& err, std::string_view prefix, int error);

// "program: name: description" and a line end, the same way, with each byte
// of the name as shown_in_name has it.
void report_error(TextOutput& err, std::string_view program, std::string_view name,
                  std::string_view description);

}  // namespace fieldsift
