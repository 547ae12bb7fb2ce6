// Menu option "3": the code of a typed character.
#pragma once

namespace console {

// Asks for a character and shows the code of its first byte, which is also
// the bucket number of every name that starts with it.
void show_char_code();

}  // namespace console
