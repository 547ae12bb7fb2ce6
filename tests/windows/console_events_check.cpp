// A console event (Ctrl+C here) that ends the program while it waits for a
// key and writes a record: the program's own handler gives the console its
// mode back and removes the temporary file. This check's handler, installed
// first and so run last, looks at the mode; wine_check.sh then finds no
// temporary file left in the folder once the process has ended.
#include <cstdio>
#include <string>

#include "console_input.hpp"
#include "platform/windows/console_events.hpp"
#include "platform/windows/temporary_files.hpp"

namespace {

DWORD mode_before = 0;

BOOL WINAPI after_the_program(DWORD) {
    DWORD mode = 0;
    const bool mode_back = ::GetConsoleMode(checks::console_input(), &mode) && mode == mode_before;
    if (!mode_back) std::fprintf(stderr, "FAILED: the console mode is 0x%lx, not 0x%lx\n", mode, mode_before);
    std::fflush(stderr);
    ::ExitProcess(mode_back ? 0 : 1);
}

}  // namespace

int main() {
    const HANDLE input = checks::console_input();
    wchar_t folder[MAX_PATH];
    if (!::GetConsoleMode(input, &mode_before) || !::GetCurrentDirectoryW(MAX_PATH, folder) ||
        !::SetConsoleCtrlHandler(after_the_program, TRUE)) {
        std::fprintf(stderr, "console_events_check: no console\n");
        return 2;
    }
    {
        const platform::EventsHeldBack held;
        platform::key_wait_began(held, input, mode_before);
        ::SetConsoleMode(input, 0);
        std::wstring temporary;
        if (platform::create_temporary(folder, L"check.txt", temporary) == INVALID_HANDLE_VALUE) return 2;
        platform::temporary_file_began(held, temporary);
    }
    ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    ::Sleep(10000);
    std::fprintf(stderr, "FAILED: no handler ended the process\n");
    return 1;
}
