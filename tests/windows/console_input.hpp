// Keys put into the console's input as if typed, for the Windows checks that
// run under Wine, where a program whose standard input is not the terminal
// gets no keys from it.
#pragma once

#include <windows.h>

#include <string_view>

namespace checks {

// The console's input buffer; INVALID_HANDLE_VALUE without a console.
HANDLE console_input();

// Queues one key press per UTF-16 unit of `text` ("\r" is Enter).
bool type_keys(std::wstring_view text);

}  // namespace checks
