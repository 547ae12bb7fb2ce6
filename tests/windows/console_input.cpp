#include "console_input.hpp"

#include <vector>

namespace checks {

HANDLE console_input() {
    static const HANDLE input =
        ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    return input;
}

bool type_keys(std::wstring_view text) {
    std::vector<INPUT_RECORD> records;
    for (const wchar_t unit : text) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        key.bKeyDown = TRUE;
        key.wRepeatCount = 1;
        key.wVirtualKeyCode = unit == L'\r' ? VK_RETURN : 0;
        key.uChar.UnicodeChar = unit;
        if (unit < 0x20 && unit != L'\r') key.dwControlKeyState = LEFT_CTRL_PRESSED;
        records.push_back(record);
    }
    DWORD written = 0;
    return ::WriteConsoleInputW(console_input(), records.data(), static_cast<DWORD>(records.size()),
                                &written) &&
           written == records.size();
}

}  // namespace checks
