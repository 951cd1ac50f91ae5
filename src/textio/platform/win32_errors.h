// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// Windows only: what a failed ReadFile or WriteFile means, in the C runtime's
// error numbers, which the error report then describes.

namespace fieldsift {

// The C runtime's number for a system error code (GetLastError), mapped the
// way the runtime itself maps them; a code it does not know is EINVAL.
[[nodiscard]] int crt_error_number(unsigned long system_error);

// A failed read: 0 when it is the end of the input (the writing end of the
// pipe has been closed), otherwise the error number of the failure.
[[nodiscard]] int read_failure(unsigned long system_error);

// A failed write: every way of finding the pipe's reader gone is EPIPE.
[[nodiscard]] int write_failure(unsigned long system_error);

}  // namespace fieldsift
