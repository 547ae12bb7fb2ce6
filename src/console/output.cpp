#include "console/output.hpp"

#include "platform/platform.hpp"
#include "text/messages.hpp"

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
    std::string why = "no hay ";
    why += platform::terminal_name();
    why += ", o se ha cerrado";
    std::string to_do = "Inicie el programa en una ventana de ";
    to_do += platform::terminal_name();
    to_do += '.';
    platform::write_error(
        '\n' + text::failure_message("No se puede leer el teclado", why, to_do, text::program_ends) + '\n');
    platform::exit_process(no_terminal_status);
}

}  // namespace console
