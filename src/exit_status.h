// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <string_view>

#include "textio/line_writer.h"
#include "textio/text_mode.h"

namespace fieldsift {

// Both programs end with one of these.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 2;

// Flushes standard output and reports if any write to it failed for a reason
// other than a gone reader, under the program's name when it has one in its
// reports. Answers the final exit status.
[[nodiscard]] int finish_output(LineWriter& out, TextOutput& err, std::string_view program,
                                int status);

}  // namespace fieldsift
