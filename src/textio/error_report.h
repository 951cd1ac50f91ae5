// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <cstddef>
#include <string_view>

#include "textio/text_mode.h"

namespace fieldsift {

// Room enough to translate the usual report in one piece; a longer one
// (a long file name) goes out in more.
inline constexpr std::size_t kReportStageSize = 512;

// Why an input that is also the output is refused: reading a file the
// program is appending to would never end, and writing over it would destroy
// input not yet read.
inline constexpr std::string_view kInputIsOutput = "Input file is also the output";

// "prefix: description" and a line end, straight to the stream with no
// buffering. A failure to report is not reported.
void report_error(TextOutput& err, std::string_view prefix, std::string_view description);

// The same with the platform's text for an error number.
void report_error(TextOutput& err, std::string_view prefix, int error);

// "program: name: description" and a line end, the same way.
void report_error(TextOutput& err, std::string_view program, std::string_view name,
                  std::string_view description);

}  // namespace fieldsift
