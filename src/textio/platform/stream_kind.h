// SPDX-License-Identifier: BSD-2-Clause
#pragma once

namespace fieldsift {

// What a standard handle leads to, fixed once at start-up. It decides how
// output is buffered and how the text-mode layer settles line ends.
enum class StreamKind {
  Device,    // terminal or other character device but the null device; also an unusable handle
  Pipe,      // pipe or socket
  DiskFile,  // regular file, directory, block device, and the null device: nobody watches it
};

}  // namespace fieldsift
