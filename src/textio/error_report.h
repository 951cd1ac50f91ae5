// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <string_view>

#include "bytes/ascii.h"
#include "textio/text_mode.h"

namespace fieldsift {

// A report of up to kReportLineSize bytes, line end included, goes out in
// one write; a longer one (a long file name) in more. Text mode's stage
// holds the translation of that much source whatever it holds.
inline constexpr std::size_t kReportLineSize = 512;
inline constexpr std::size_t kReportStageSize = 2 * kReportLineSize;

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
