// Single key presses, as the menu and the prompts read them.
#pragma once

namespace console {

// What read_key gives when no key can be read from the console.
inline constexpr int key_unreadable = -1;

// Waits for one key press on the console, without echo and without Enter, and
// gives its code (0 to 255). A key with two codes gives its first code (0 or
// 224) now and its second code at the next call, wherever that call is made.
int read_key();

// "a" to "z" become "A" to "Z"; every other code is returned unchanged.
int key_upper(int key);

}  // namespace console
