// SPDX-License-Identifier: BSD-2-Clause
#pragma once

// Every call into the operating system goes through these functions. One
// source file per platform implements them; nothing else includes a system
// header.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "bytes/byte_vector.h"
#include "textio/platform/stream_kind.h"

namespace fieldsift {

// The handles the program reads and writes through: the three standard
// ones, and a file it opened by name (a FILE argument), which is read as
// standard input would be. Output may lead to a file opened by name too
// (open_output).
enum class Handle { Input, Output, Error, Named };

// The outcome of one read or write. error is the platform's error number of a
// failure, 0 when there was none; count is the bytes moved before it.
struct IoResult {
  std::size_t count = 0;
  int error = 0;
};

inline constexpr int kBadDescriptor = 9;

// Once, before any other call: classifies the three handles and makes a reader
// that has gone away, or a file grown past its limit, show up as a failed
// write rather than a signal.
void start_platform();

// What tells one open file from another: the device or volume it is on, and
// its number there.
struct FileIdentity {
  std::uint64_t device = 0;
  std::array<std::uint64_t, 2> index{};
};

// Whether reading an input would meet the program's own output: the input
// and the output are one file, and input is left to read at the input's
// position. A regular input's size is size; any other has none.
[[nodiscard]] constexpr bool reads_own_output(FileIdentity input, FileIdentity output,
                                              std::int64_t position, std::int64_t size) {
  return input.device == output.device && input.index == output.index && position >= 0 &&
         position < size;
}

// The same for an input handle (standard input, or the named file) and
// standard output as they stand; also when both are the one pipe, whose
// reader would wait for its own output.
[[nodiscard]] bool input_is_output(Handle input = Handle::Input);

// Opens a file by name for reading as the Named handle, closing the one
// opened before; answers 0, or the error number of the failure.
[[nodiscard]] int open_named(const char* name);

// Closes the file opened by name, if one is open.
void close_named();

// Creates a file by name, or empties the one there, for writing, and makes
// it the Output handle in standard output's place; answers 0, or the error
// number of the failure. An input that is that file is the output whatever
// it holds.
[[nodiscard]] int open_output(const char* name);

// The files one FILE argument names, in turn. A shell has already expanded
// any wildcards in it, but for Windows, where the program expands them: each
// file (not folder) whose long name its last part matches, by name_matches,
// in the directory's order, or, when none does, the argument itself with the
// error that says so.
class ArgumentFiles {
 public:
  explicit ArgumentFiles(const char* argument) : argument_(argument) {}
  ArgumentFiles(const ArgumentFiles&) = delete;
  ArgumentFiles& operator=(const ArgumentFiles&) = delete;
  ArgumentFiles(ArgumentFiles&&) = delete;
  ArgumentFiles& operator=(ArgumentFiles&&) = delete;
  ~ArgumentFiles();  // NOLINT(performance-trivially-destructible): Windows ends its search here

  struct File {
    const char* name;  // valid until the next call
    int error;         // nonzero: the name cannot be read, for this reason
  };
  // The next file; a null name when none is left.
  [[nodiscard]] File next();

 private:
  const char* argument_;
  bool done_ = false;
  // Where the program expands wildcards: a directory search under way, if
  // any (the platform's handle), and a match with its directory in front,
  // held so that no memory grows with it.
  [[maybe_unused]] std::intptr_t search_ = 0;
  [[maybe_unused]] std::array<char, 4096> name_{};
};

[[nodiscard]] StreamKind handle_kind(Handle handle);

// From now on, a write to the handle that is all well-formed UTF-8 goes to
// a console as text, whatever the console's code page; other bytes, and
// every write to anything but a console, go as they are. A console that
// takes bytes shows them by its code page, which is rarely UTF-8's.
void write_utf8_as_text(Handle handle);

// One read of at most into.size() bytes; count 0 without error is end of input.
[[nodiscard]] IoResult read_handle(Handle handle, std::span<unsigned char> into);

// Whether a read of the handle would return at once: bytes, an end or a
// failure are waiting, or it is a file. A pipe or terminal with nothing
// ready answers false.
[[nodiscard]] bool input_ready(Handle handle);

// Writes all of bytes, or fails part-way with count telling how many went out.
[[nodiscard]] IoResult write_handle(Handle handle, std::span<const unsigned char> bytes);

// Moves a disk file's read position back by one byte.
[[nodiscard]] bool step_back_one_byte(Handle handle);

[[nodiscard]] bool is_broken_pipe(int error);

// The platform's one-line text for an error number, independent of locale.
[[nodiscard]] std::string_view error_description(int error);

[[noreturn]] void exit_process(int status);

// A charset whose text the system's own converter turns into UTF-8, by the
// names each system knows it by. The decoder's data holds the rows.
struct SystemCharset {
  const char* iconv_name;    // the C library's iconv's
  std::uint32_t code_page;   // KERNEL32's; kNoCodePage where it has none
  bool replacement_is_text;  // U+FFFD is one of its characters, not a sign of bytes refused
};

inline constexpr std::uint32_t kNoCodePage = 0;

enum class Conversion {
  Converted,    // the text's UTF-8 is added to out
  Refused,      // the bytes are not text in the charset; out is as it was
  NoConverter,  // this system has no converter for the charset; out is as it was
  NoMemory,     // out or the converter could not have the memory it needed
};

// Adds to out the UTF-8 of bytes, which are text in charset.
[[nodiscard]] Conversion convert_to_utf8(const SystemCharset& charset,
                                         std::span<const unsigned char> bytes, ByteVector& out);

}  // namespace fieldsift
