// Standard output and the exit on Windows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/platform.hpp"
#include "platform/windows/code_page.hpp"
#include "text/line_ends.hpp"

namespace platform {
namespace {

bool stdout_is_console() {
    static const bool is_console = [] {
        DWORD mode = 0;
        return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    }();
    return is_console;
}

// UTF-16 units given to the console in one write.
constexpr std::size_t write_chunk = 4096;

// The text, read in the ANSI code page, with each line feed as CR LF: an
// entry shows as it was typed, whatever the console's own code page.
void write_console(std::string_view text) {
    const std::wstring units = wide_from_ansi(text::with_crlf_line_ends(text));
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    for (std::wstring_view rest(units); !rest.empty();) {
        const auto chunk = static_cast<DWORD>(std::min(rest.size(), write_chunk));
        DWORD written = 0;
        if (!::WriteConsoleW(output, rest.data(), chunk, &written, nullptr) || written == 0) return;
        rest.remove_prefix(written);
    }
}

}  // namespace

// On a console every piece is shown at once. To a file or a pipe the bytes
// go as they are, in text mode (each line feed as CR LF), and the C
// library's block buffering holds them until exit.
void write_out(std::string_view text) {
    if (stdout_is_console()) {
        write_console(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

void exit_process(int status) {
    std::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(status));
}

}  // namespace platform
