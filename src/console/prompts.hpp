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
// characters (bytes, unless entries are UTF-8 text) draws `message` and the
// back-or-quit prompt; if the operator goes on, the entry is cut to `limit`
// characters, never inside one.
LineRead read_limited_entry(std::string_view prompt, std::string& field, std::size_t limit,
                            std::string_view message);

}  // namespace console
