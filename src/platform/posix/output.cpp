// Standard output and the exit on POSIX terminals.
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.hpp"
#include "platform/posix/code_page.hpp"
#include "platform/posix/output.hpp"

namespace platform {

bool stdout_is_terminal() {
    static const bool is_terminal = ::isatty(STDOUT_FILENO) == 1;
    return is_terminal;
}

// A hung-up terminal refuses every request with EIO; a file, a pipe or a
// live terminal does not.
bool standard_input_hung_up() {
    struct termios settings {};
    return ::tcgetattr(STDIN_FILENO, &settings) != 0 && errno == EIO;
}

// In the terminal's encoding, to a file or a pipe as well. On a terminal
// every piece is shown at once; to a file or a pipe the standard library's
// block buffering holds it until exit. ASCII is the same bytes in every code
// page and in every encoding a locale can name, so text of ASCII alone (the
// menu, the prompts) goes out as it is, without loading the conversions.
void write_out(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    const std::string shown = ascii ? std::string(text) : locale_conversions().terminal_from_ansi(text);
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    if (stdout_is_terminal()) std::fflush(stdout);
}

void exit_process(int status) {
    std::exit(status);  // flushes standard output
}

}  // namespace platform
