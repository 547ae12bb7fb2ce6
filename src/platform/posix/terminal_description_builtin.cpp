// Built without ncurses' terminfo library: no terminal's description is read,
// so keys are read by the decoder's built-in table alone, as the common
// terminals send them, and the keypad stays in its normal mode.
#include "platform/posix/terminal_description.hpp"

namespace platform {

TerminalDescription read_terminal_description(const char* /*type*/) {
    return {};
}

}  // namespace platform
