// Lines of standard input on POSIX, and what their text is.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/platform.hpp"
#include "platform/posix/code_page.hpp"
#include "platform/posix/keys.hpp"
#include "platform/stdio_line.hpp"

namespace platform {
namespace {

// A line typed at the terminal, read a byte at a time so that nothing after
// its end is taken: keys and lines typed ahead stay queued, in order, for the
// next read of either. Enter typed while keys were awaited (raw mode) is
// queued as a carriage return, with no echo; such a line ends there and is
// echoed now, as the terminal would have done.
InputLine read_terminal_line(std::size_t bound) {
    InputLine line;
    bool any_byte = false;
    for (;;) {
        char byte = 0;
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            // Ctrl+D, or a terminal that has gone: a line cut off by a
            // hang-up was never finished.
            line.end_of_input = !any_byte || standard_input_hung_up();
            if (line.end_of_input) line.text.clear();
            return line;
        }
        any_byte = true;
        if (byte == '\n') return line;
        if (byte == '\r') {
            echo_on_terminal(line.text);
            return line;
        }
        if (line.text.size() < bound) {
            line.text.push_back(byte);
        } else {
            line.cut = true;
        }
    }
}

}  // namespace

// Lines from the terminal, and from a file or a pipe, which on POSIX are
// text in the same encoding, are converted to the ANSI code page; the bound
// counts the code page's bytes, as on Windows. No character of the terminal
// takes more than four bytes for each byte of its code-page form (GB18030's
// four for a letter of 1252), so four times the bound holds every line that
// the bound does.
InputLine read_input_line(std::size_t bound) {
    constexpr std::size_t terminal_bytes_per_byte = 4;
    const std::size_t read_bound = bound * terminal_bytes_per_byte;
    InputLine line =
        standard_input_is_terminal() ? read_terminal_line(read_bound) : read_stdio_line(read_bound);
    ConvertedEntry entry = locale_conversions().ansi_from_terminal(line.text, line.cut, bound);
    line.text = std::move(entry.text);
    line.cut = entry.cut;
    line.unrepresentable = entry.unrepresentable;
    line.lacking = entry.lacking;
    line.undecodable = entry.undecodable;
    return line;
}

bool standard_input_is_terminal() {
    static const bool is_terminal = ::isatty(STDIN_FILENO) == 1;
    return is_terminal;
}

}  // namespace platform
