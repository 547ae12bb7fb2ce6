// Standard output, standard input and the exit on the Windows console.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/line_ends.hpp"
#include "platform/platform.hpp"
#include "platform/stdio_line.hpp"

namespace platform {
namespace {

bool stdout_is_console() {
    static const bool is_console = [] {
        DWORD mode = 0;
        return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    }();
    return is_console;
}

// The bytes as given, in the console's code page, each line feed as CR LF:
// what the Windows C library's text mode writes. Wine's C library would pass
// them through its locale instead and drop the codes above 127.
void write_console(std::string_view text) {
    const std::string bytes = with_crlf_line_ends(text);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                nullptr);
}

}  // namespace

// Every line feed goes out as CR LF. On a console every piece is shown at
// once; to a file or a pipe, in text mode, the C library's block buffering
// holds it until exit.
void write_out(std::string_view text) {
    if (stdout_is_console()) {
        write_console(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

InputLine read_input_line(std::size_t bound) {
    return read_stdio_line(bound);
}

bool standard_input_is_terminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

// A console that closes ends the process, so a read never meets it.
bool standard_input_hung_up() {
    return false;
}

bool text_is_utf8() {
    return ::GetACP() == CP_UTF8;
}

void write_error(std::string_view text) {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void exit_process(int status) {
    std::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(status));
}

}  // namespace platform
