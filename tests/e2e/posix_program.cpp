// The POSIX build of qkeditor, started directly. The build passes its path.
#include "program.hpp"

#ifndef QKEDITOR_BINARY
#error "QKEDITOR_BINARY must name the qkeditor binary under test"
#endif

namespace e2e {

const Program& program_under_test() {
    static const Program program{
        .name = "qkeditor (POSIX)",
        .command = {QKEDITOR_BINARY},
        .environment = {},
        .pause_prompt = "Press any key to continue . . . ",
        .path_separator = '/',
    };
    return program;
}

}  // namespace e2e
