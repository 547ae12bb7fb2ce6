// What the terminal's own description (its terminfo entry, named by TERM)
// says about its keys: the strings they send in keypad-transmit mode, and the
// strings that switch that mode on and off; and how its screen is cleared.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/key_table.hpp"

namespace platform {

// Without a description, the keypad is left alone, and the screen cleared as
// the common terminals clear it, scrollback included.
struct TerminalDescription {
    std::string keypad_on;  // both empty unless the description has both
    std::string keypad_off;
    std::string clear = "\x1b[H\x1b[2J\x1b[3J";
    std::vector<DescribedKey> keys;
};

// The description of the terminal type `type`, or of the one that TERM names
// when it is null; empty when there is none.
TerminalDescription read_terminal_description(const char* type = nullptr);

}  // namespace platform
