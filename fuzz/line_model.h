#pragma once

// The program's line rules written out plainly, one byte at a time, as the
// yardstick the fuzz targets hold the real line path against. Nothing here
// uses the program's own code.

#include <string>
#include <string_view>
#include <vector>

namespace fieldsift::fuzz {

// The text a pipe or disk file delivers: the input up to its first 0x1A,
// with each CR that comes right before a LF dropped.
[[nodiscard]] std::string delivered_text(std::string_view input);

// The lines of delivered text without their line feeds, NUL bytes kept; no
// empty line after a final line feed.
[[nodiscard]] std::vector<std::string> lines_of(std::string_view text);

// What the program writes for these lines: the text (up to the first NUL)
// of each selected line, then CR LF.
[[nodiscard]] std::string selected_output(std::string_view name,
                                          const std::vector<std::string>& lines);

// Every LF as CR LF, as text mode hands it to the system.
[[nodiscard]] std::string with_crlf_line_ends(std::string_view text);

// The input with each LF that has no CR before it turned into CR LF.
[[nodiscard]] std::string crlf_input(std::string_view input);

// Whether written output could have come from this input at all: lines of
// text in input order, none empty, none holding NUL or 0x1A, each ending in
// CR LF, and every field start among them starting with the name. Holds
// however the reads were cut, so it is all that is checked where a device's
// 0x1A rule makes the exact output depend on the cuts.
[[nodiscard]] bool plausible_output(std::string_view name, std::string_view input,
                                    std::string_view written);

}  // namespace fieldsift::fuzz
