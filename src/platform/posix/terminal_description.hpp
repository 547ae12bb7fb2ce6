// What the terminal's own description (its terminfo entry, named by TERM)
// says about its keys: the strings they send in keypad-transmit mode, and the
// strings that switch that mode on and off.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/key_decoder.hpp"

namespace platform {

struct TerminalDescription {
    std::string keypad_on;  // empty where the description has none
    std::string keypad_off;
    std::vector<DescribedKey> keys;
};

// The description of the terminal type `type`, or of the one that TERM names
// when it is null; empty when there is none.
TerminalDescription read_terminal_description(const char* type = nullptr);

}  // namespace platform
