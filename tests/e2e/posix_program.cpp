// The POSIX build of qkeditor, started directly, and its build with the
// crash point. The build passes their paths, and says whether they read the
// pane's terminal description (tmux-256color).
#include "scenario.hpp"

#if !defined(QKEDITOR_BINARY) || !defined(QKEDITOR_CRASH_POINT_BINARY)
#error "QKEDITOR_BINARY and QKEDITOR_CRASH_POINT_BINARY must name the qkeditor binaries under test"
#endif

namespace e2e {

const Program& program_under_test() {
    static const Program program{
        .name = "qkeditor (POSIX)",
        .command = {QKEDITOR_BINARY},
        .crash_point_binary = QKEDITOR_CRASH_POINT_BINARY,
        .environment = {},
        .pause_prompt = "Press any key to continue . . . ",
        .path_separator = '/',
#ifdef QKEDITOR_BUILTIN_KEY_TABLE
        // No description is read: the built-in clear, and no keypad switch.
        .clear_bytes = "\x1b[H\x1b[2J\x1b[3J",
        .keypad_on = "",
        .keypad_off = "",
#endif
    };
    return program;
}

}  // namespace e2e
