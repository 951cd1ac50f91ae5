#pragma once

// Checks of the input layers on their own, under the program's main loop:
// what text_read delivers, and the lines the LineReader cuts from it.

#include <string>
#include <string_view>
#include <vector>

#include "line_case.h"
#include "support/scripted_channel.h"

namespace fieldsift::fuzz {

// Scripts the input as reads cut to the given sizes in turn; with no cuts,
// each read hands out as much as it asks for.
void script_input(testing::ScriptedChannel& channel, std::string_view input,
                  const std::vector<std::size_t>& cuts);

// text_read, asked for c.read_request bytes at a time, delivers exactly `text`.
void check_text_read(const LineCase& c, std::string_view text);

// The LineReader, with a line buffer of c.line_buffer_size bytes, yields
// exactly `lines`, whole, also when the rest of a long line is left unread.
void check_line_reader(const LineCase& c, const std::vector<std::string>& lines);

}  // namespace fieldsift::fuzz
