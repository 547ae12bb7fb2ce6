// What one key-down record of the Windows console means as key codes. Kept
// apart from the Windows headers, so that it builds and is tested anywhere.
#pragma once

#include <optional>

#include "platform/platform.hpp"

namespace platform {

// The parts of a key-down record that decide its codes.
struct KeyRecord {
    unsigned char character;  // in the console's input code page; 0: none
    int scan_code;
    bool enhanced;  // a grey key beside the letters, not on the numeric keypad
    bool shift;
    bool ctrl;
    bool alt;
};

// The codes the Windows C runtime's single-key reader gives for the record:
// its character if it has one, else the lead code (0 or 224) and second code
// of an extended key. Empty for keys that give nothing (Shift, Ctrl, Alt or
// Caps Lock alone, keypad 5, keys with Alt on the numeric keypad).
std::optional<KeyPress> key_codes(const KeyRecord& record);

}  // namespace platform
