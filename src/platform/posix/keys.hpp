// The controlling terminal, which keys are read from, as the other POSIX
// pieces share it.
#pragma once

#include <string_view>

#include "platform/posix/terminal_description.hpp"

namespace platform {

// The description of the terminal that TERM names, read once, at first use.
const TerminalDescription& terminal_description();

// Shows `text` on the terminal as its echo would have shown a typed line,
// followed by a line end; nothing when the terminal cannot be written.
void echo_on_terminal(std::string_view text);

}  // namespace platform
