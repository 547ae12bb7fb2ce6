// The screen and the pause on POSIX terminals, as the Windows command
// interpreter's "cls" and "pause" give them.
#include "platform/posix/screen.hpp"

#include <string_view>

#include "platform/platform.hpp"
#include "platform/posix/code_page.hpp"
#include "platform/posix/keys.hpp"
#include "platform/posix/output.hpp"

namespace platform {

// As the Windows "cls": the screen on a terminal, as its description clears
// it, a form feed when the output goes to a file or a pipe.
void clear_screen() {
    write_out(stdout_is_terminal() ? std::string_view(terminal_description().clear) : "\f");
}

std::string_view pause_prompt() {
    return locale_language(locale_name("LC_MESSAGES")) == "es" ? "Presione una tecla para continuar . . . "
                                                               : "Press any key to continue . . . ";
}

// The prompt of the Windows interpreter's "pause", and the whole key it waits for.
void pause() {
    write_out(pause_prompt());
    wait_key_press();
    write_out("\n");
}

}  // namespace platform
