// Lines of standard input on Windows, and what their text is.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.hpp"
#include "platform/stdio_line.hpp"
#include "platform/windows/code_page.hpp"

namespace platform {
namespace {

// Ctrl+Z as the console puts it in a line: at the line's start, end of input.
constexpr wchar_t end_of_input_mark = L'\x1a';

// UTF-16 units asked for in one console read; a longer line takes several.
constexpr DWORD read_chunk = 256;

InputLine input_ended() {
    InputLine line;
    line.end_of_input = true;
    return line;
}

// A line typed at the console, made from the UTF-16 units that the console
// reads give, a character at a time, in the ANSI code page. The units come in
// pieces, which may split a surrogate pair or the CR LF at the line's end.
class ConsoleLine {
public:
    explicit ConsoleLine(std::size_t bound) : bound_(bound) {}

    // Takes the next units read; true once the line's end was among them.
    bool take(std::wstring_view units);

    InputLine finish() {
        if (line_.end_of_input) return input_ended();
        return std::move(line_);
    }

private:
    // Appends a character while it fits in the bound; once one does not,
    // the rest of the line is dropped.
    void append(std::wstring_view character);

    std::size_t bound_;
    InputLine line_;
    std::wstring held_;  // a last unit whose meaning comes with the next one
    bool started_ = false;
};

bool ConsoleLine::take(std::wstring_view units) {
    held_ += units;
    std::wstring_view rest(held_);
    bool ended = false;
    while (!rest.empty() && !ended) {
        const wchar_t unit = rest.front();
        if (!started_) {
            started_ = true;
            line_.end_of_input = unit == end_of_input_mark;
        }
        std::size_t length = 1;
        if (unit == L'\n') {
            ended = true;
        } else if (unit == L'\r' || IS_HIGH_SURROGATE(unit)) {
            if (rest.size() == 1) break;
            if (unit == L'\r' && rest[1] == L'\n') {
                ended = true;
                length = 2;
            } else if (IS_HIGH_SURROGATE(unit) && IS_LOW_SURROGATE(rest[1])) {
                length = 2;
            }
        }
        if (!ended) append(rest.substr(0, length));
        rest.remove_prefix(length);
    }
    held_.erase(0, held_.size() - rest.size());
    return ended;
}

void ConsoleLine::append(std::wstring_view character) {
    if (line_.cut) return;
    const AnsiCharacter ansi = ansi_character(character);
    if (line_.text.size() + ansi.bytes.size() > bound_) {
        line_.cut = true;
        return;
    }
    line_.text += ansi.bytes;
    if (!ansi.representable && !line_.unrepresentable) {
        const char32_t unit = character.front();
        line_.lacking =
            character.size() == 2 ? 0x10000 + ((unit - 0xD800) << 10) + (character[1] - 0xDC00) : unit;
    }
    line_.unrepresentable = line_.unrepresentable || !ansi.representable;
}

// The console's own line editing reads the line and echoes it. Each read
// returns no more than the line, so keys typed beyond its end stay queued
// for the next key or line read.
InputLine read_console_line(std::size_t bound) {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    ConsoleLine line(bound);
    for (;;) {
        wchar_t units[read_chunk];
        DWORD count = 0;
        // Nothing read: Ctrl+C (the process is being ended) or a console
        // that cannot be read. A line cut off there was never finished.
        if (!::ReadConsoleW(input, units, read_chunk, &count, nullptr) || count == 0) {
            return input_ended();
        }
        if (line.take({units, count})) return line.finish();
    }
}

}  // namespace

InputLine read_input_line(std::size_t bound) {
    return standard_input_is_terminal() ? read_console_line(bound) : read_stdio_line(bound);
}

bool standard_input_is_terminal() {
    static const bool is_console = [] {
        DWORD mode = 0;
        return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    }();
    return is_console;
}

// A console that closes ends the process, so a read never meets it.
bool standard_input_hung_up() {
    return false;
}

}  // namespace platform
