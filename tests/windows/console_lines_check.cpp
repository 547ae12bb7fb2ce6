// Lines typed at the console, read through the program's own line reader:
// converted to the ANSI code page (1252 here), bounded without splitting a
// character, Ctrl+Z as end of input, and nothing taken beyond the line's end.
// The keys are queued on the console; the console is made standard input
// whatever the check was started with. Prints each failure; exit status 1 if any.
#include <cstdio>
#include <string>

#include "console_input.hpp"
#include "platform/platform.hpp"

namespace {

constexpr wchar_t ctrl_z = 0x1a;

int failures = 0;

void expect(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
}

platform::InputLine typed_line(std::wstring_view keys, std::size_t bound = 1024) {
    if (!checks::type_keys(keys)) expect(false, "the keys could be queued");
    return platform::read_input_line(bound);
}

}  // namespace

int main() {
    if (checks::console_input() == INVALID_HANDLE_VALUE || ::GetACP() != 1252) {
        std::fprintf(stderr, "console_lines_check: needs a console and the ANSI code page 1252\n");
        return 2;
    }
    ::SetStdHandle(STD_INPUT_HANDLE, checks::console_input());

    // (A character the ANSI code page has: the Wine scenarios' "xñandu".)
    platform::InputLine line = typed_line(L"a\u03a9b\r");
    expect(line.unrepresentable && line.text.size() == 3, "omega has no ANSI form");

    // 255 units, then the CR LF across the end of the reader's first console
    // read (256 units).
    line = typed_line(std::wstring(255, L'a') + L"\r");
    expect(line.text == std::string(255, 'a'), "CR LF across two reads");

    line = typed_line(L"abcdef\r", 4);
    expect(line.text == "abcd" && line.cut, "cut at the bound");
    expect(typed_line(L"g\r").text == "g", "the rest of a cut line is dropped");

    line = typed_line(std::wstring{ctrl_z} + L"dropped\r");
    expect(line.end_of_input && line.text.empty(), "Ctrl+Z at the start is end of input");
    line = typed_line(L"a" + std::wstring{ctrl_z} + L"\r");
    expect(!line.end_of_input && line.text == "a\x1a", "Ctrl+Z later is a character");

    line = typed_line(L"ab\rk");
    const auto key = platform::wait_key_press();
    expect(line.text == "ab" && key && key->first == 'k', "a key typed ahead stays for the key reader");

    return failures == 0 ? 0 : 1;
}
