// Lines of standard input on POSIX, and what their text is.
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/platform.hpp"
#include "platform/posix/terminal.hpp"
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

// Whether a locale name says UTF-8, for a locale that is named but not
// installed ("es_ES.UTF-8" on a system without it).
bool names_utf8(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.find("utf-8") != std::string::npos || name.find("utf8") != std::string::npos;
}

}  // namespace

InputLine read_input_line(std::size_t bound) {
    return standard_input_is_terminal() ? read_terminal_line(bound) : read_stdio_line(bound);
}

bool standard_input_is_terminal() {
    static const bool is_terminal = ::isatty(STDIN_FILENO) == 1;
    return is_terminal;
}

// The character set of the operator's locale (LC_ALL, LC_CTYPE, LANG),
// without changing the program's own locale.
bool text_is_utf8() {
    static const bool utf8 = [] {
        if (const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", nullptr)) {
            const std::string codeset = ::nl_langinfo_l(CODESET, locale);
            ::freelocale(locale);
            return codeset == "UTF-8";
        }
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* name = std::getenv(variable);
            if (name != nullptr && *name != '\0') return names_utf8(name);
        }
        return false;
    }();
    return utf8;
}

}  // namespace platform
