// What the operator sees: printing, clearing the screen, pausing, leaving.
#pragma once

#include <string>
#include <string_view>

namespace console {

// Writes text to standard output exactly as given, with no line feed added.
void print(std::string_view text);

// An entry, a name or a path as it may be shown on this terminal: its control
// codes as "\xHH" (see text::printable), so that it can never drive it.
std::string escaped(std::string_view text);

// Clears the screen and its scrollback, cursor home.
void clear_screen();

// "Press any key" and one key press on the console (none without a console).
void pause();

// Delivers everything printed so far and ends the process with status 1.
[[noreturn]] void quit();

// Exit status when the terminal cannot be read: there is none, or it closed.
inline constexpr int no_terminal_status = 2;

// Says on standard error that the terminal cannot be read and ends the
// process with no_terminal_status.
[[noreturn]] void end_without_terminal();

}  // namespace console
