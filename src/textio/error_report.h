// SPDX-License-Identifier: BSD-2-Clause
#pragma once

#include <string_view>

#include "textio/text_mode.h"

namespace fieldsift {

// "prefix: description" and a line end, straight to the stream with no
// buffering. A failure to report is not reported.
void report_error(TextStream& err, std::string_view prefix, std::string_view description);

// The same with the platform's text for an error number.
void report_error(TextStream& err, std::string_view prefix, int error);

}  // namespace fieldsift
