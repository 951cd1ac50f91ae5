// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// POSIX only: what a failed read or write means, in the error numbers that
// the error report then describes.

namespace fieldsift {

// A failed read's number as the program reports it: a read refused for lack
// of access counts as a bad descriptor.
[[nodiscard]] int read_failure(int error);

// A failed write's number: every way of finding the reader gone is EPIPE.
[[nodiscard]] int write_failure(int error);

}  // namespace fieldsift
