// The POSIX build of qkeditor, started directly, and its build with the
// crash point. The build passes their paths.
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
    };
    return program;
}

}  // namespace e2e
