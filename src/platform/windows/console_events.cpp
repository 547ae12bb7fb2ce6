#include "platform/windows/console_events.hpp"

namespace platform {
namespace {

SRWLOCK lock = SRWLOCK_INIT;

// Under the lock (see EventsHeldBack).
HANDLE waiting_input = INVALID_HANDLE_VALUE;
DWORD saved_input_mode = 0;
std::wstring temporary_path;

// Takes the lock and keeps it: the process ends on the way out, and a key
// wait or a write must not change the console or the files once this has
// put them back.
BOOL WINAPI on_console_event(DWORD) {
    ::AcquireSRWLockExclusive(&lock);
    if (waiting_input != INVALID_HANDLE_VALUE) ::SetConsoleMode(waiting_input, saved_input_mode);
    if (!temporary_path.empty()) {
        // Opened with FILE_SHARE_DELETE: removed even while still being written.
        ::DeleteFileW(temporary_path.c_str());
        temporary_path.clear();
    }
    return FALSE;  // on to the default handling, which ends the process
}

// Once, for the rest of the run, before anything it must undo is recorded.
void watch_events() {
    static const bool watching = ::SetConsoleCtrlHandler(on_console_event, TRUE) != 0;
    (void)watching;
}

}  // namespace

void key_wait_began(const EventsHeldBack&, HANDLE input, DWORD saved_mode) {
    waiting_input = input;
    saved_input_mode = saved_mode;
}

void key_wait_over(const EventsHeldBack&) {
    waiting_input = INVALID_HANDLE_VALUE;
}

EventsHeldBack::EventsHeldBack() {
    watch_events();
    ::AcquireSRWLockExclusive(&lock);
}

EventsHeldBack::~EventsHeldBack() {
    ::ReleaseSRWLockExclusive(&lock);
}

void temporary_file_began(const EventsHeldBack&, const std::wstring& path) {
    temporary_path = path;
}

void temporary_file_over(const EventsHeldBack&) {
    temporary_path.clear();
}

}  // namespace platform
