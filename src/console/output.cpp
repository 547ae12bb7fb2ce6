#include "console/output.hpp"

#include "platform/platform.hpp"

namespace console {

void print(std::string_view text) {
    platform::write_out(text);
}

std::string escaped(std::string_view text) {
    return text::printable(text, platform::entry_code_page());
}

void clear_screen() {
    platform::clear_screen();
}

void pause() {
    platform::pause();
}

void quit() {
    platform::exit_process(1);
}

void end_without_terminal() {
    platform::write_error(
        "\nNo se puede leer el teclado (no hay terminal o se ha cerrado). El programa termina.\n");
    platform::exit_process(no_terminal_status);
}

}  // namespace console
