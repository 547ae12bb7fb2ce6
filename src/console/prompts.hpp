// The prompts that the account and GM dialogues share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "console/lines.hpp"

namespace console {

// "Desea volver o salir? (V/S)": "V" clears the screen and returns, "S" ends
// the program with status 1, any other key returns as it is.
void ask_back_or_quit();

// Prints `prompt` and reads a line into `field`. An entry longer than `limit`
// bytes, the size of the server's field, draws `message` and the back-or-quit
// prompt; if the operator goes on, the entry is cut to `limit` bytes, never
// inside a character, and the read says it was cut.
LineRead read_limited_entry(std::string_view prompt, std::string& field, std::size_t limit,
                            std::string_view message);

}  // namespace console
