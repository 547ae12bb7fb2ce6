// Key presses from the console input. Line editing, echo and Ctrl+C
// processing are off only while a key is awaited; the previous mode is
// restored on return, and also when a console event (Ctrl+Break, the window
// closing) ends the process during the wait.
#include <windows.h>

#include "platform/platform.hpp"
#include "platform/windows/console_events.hpp"
#include "platform/windows/key_table.hpp"

namespace platform {
namespace {

constexpr DWORD key_wait_off = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT |
                               ENABLE_VIRTUAL_TERMINAL_INPUT;  // that one would turn keys into sequences

// Opened at the first key read and kept to the end of the run: the console
// itself, whatever standard input is.
HANDLE console_input() {
    static const HANDLE input =
        ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    return input;
}

// The key-waiting mode for the life of the object; a console event that
// ends the process meanwhile gives the console its mode back. The mode to
// restore is recorded and the key-waiting mode set in one step under the
// events' lock, and undone likewise, so that no event falls in between.
class KeyWaitMode {
public:
    explicit KeyWaitMode(HANDLE input) {
        const EventsHeldBack held;
        if (!::GetConsoleMode(input, &saved_mode_)) return;
        key_wait_began(held, input, saved_mode_);
        ::SetConsoleMode(input, saved_mode_ & ~key_wait_off);
        input_ = input;
    }

    KeyWaitMode(const KeyWaitMode&) = delete;
    KeyWaitMode& operator=(const KeyWaitMode&) = delete;

    ~KeyWaitMode() {
        if (input_ == INVALID_HANDLE_VALUE) return;
        const EventsHeldBack held;
        ::SetConsoleMode(input_, saved_mode_);
        key_wait_over(held);
    }

    bool active() const { return input_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE input_ = INVALID_HANDLE_VALUE;
    DWORD saved_mode_ = 0;
};

KeyRecord key_record(const KEY_EVENT_RECORD& key) {
    const DWORD state = key.dwControlKeyState;
    return {
        static_cast<unsigned char>(key.uChar.AsciiChar),
        key.wVirtualScanCode,
        (state & ENHANCED_KEY) != 0,
        (state & SHIFT_PRESSED) != 0,
        (state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0,
        (state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) != 0,
    };
}

}  // namespace

std::optional<KeyPress> wait_key_press() {
    const HANDLE input = console_input();
    if (input == INVALID_HANDLE_VALUE) return std::nullopt;
    const KeyWaitMode mode(input);
    if (!mode.active()) return std::nullopt;

    for (;;) {
        INPUT_RECORD record;
        DWORD count = 0;
        if (!::ReadConsoleInputA(input, &record, 1, &count) || count == 0) return std::nullopt;
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
        if (const auto codes = key_codes(key_record(record.Event.KeyEvent))) return codes;
    }
}

}  // namespace platform
