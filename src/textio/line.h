// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// What the line reader and the line writer share: a line and the sizes of
// their buffers.

#include <cstddef>
#include <span>

#include "textio/platform/stream_kind.h"

namespace fieldsift {

inline constexpr std::size_t kLineBufferSize = 65536;
inline constexpr std::size_t kStreamBufferSize = 4096;

// One input line without its line feed. head is the whole line when it fits
// the caller's line buffer less one byte; a longer line hands out the rest
// through LineReader::read_rest, so no line is ever split or cut.
struct Line {
  std::span<const unsigned char> head;
  bool has_rest = false;
};

// Output blocks of a disk file: nobody watches a file fill, so a block may be
// large and cost few system calls.
inline constexpr std::size_t kFileBlockSize = std::size_t{64} * 1024;

// How output to a pipe is handed over: in small blocks, so a live pipeline
// sees output as soon as one fills; or in a file's large blocks, for a
// program that hands over what it holds whenever its input pauses, as a
// pipe of small blocks costs the next program a wake-up every 4 KiB.
enum class PipeBlocks { Small, Large };

// The block in which output of a kind is handed over; a device sees each
// line at its end, through a buffer of kStreamBufferSize.
[[nodiscard]] constexpr std::size_t block_size(StreamKind kind, PipeBlocks pipe) {
  if (kind == StreamKind::DiskFile || (kind == StreamKind::Pipe && pipe == PipeBlocks::Large))
    return kFileBlockSize;
  return kStreamBufferSize;
}

}  // namespace fieldsift
