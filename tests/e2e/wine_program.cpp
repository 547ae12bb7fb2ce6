// The cross-built qkeditor.exe, run by Wine's loader in the prefix that the
// build folder keeps for the test run (the wine.prefix fixture makes it). The
// build passes the three paths.
#include "scenario.hpp"

#if !defined(WINE_LOADER) || !defined(WINE_PREFIX) || !defined(QKEDITOR_EXE)
#error "WINE_LOADER, WINE_PREFIX and QKEDITOR_EXE must name Wine's loader, its prefix and qkeditor.exe"
#endif

namespace e2e {

const Program& program_under_test() {
    using std::chrono::seconds;
    static const Program program{
        .name = "qkeditor.exe (Wine)",
        .command = {WINE_LOADER, QKEDITOR_EXE},
        .environment = {"WINEPREFIX=" WINE_PREFIX, "WINEDEBUG=-all"},
        .pause_prompt = "Press any key to continue... ",
        .path_separator = '\\',
        .file_line_end = "\r\n",
        .log_is_program_output = false,
        .clear_empties_scrollback = false,
        .lone_escape_is_a_key = false,
        .home_and_end_are_keys = false,
        .split_key_is_dropped = false,
        .ctrl_c_is_a_key = false,
        .arrow_ends_pause = false,
        .keys_arrive_with_stdin_redirected = false,
        .terminal_settings_are_the_programs = false,
        .process_trace_variable = "WINEDEBUG=trace+process",
        .sees_test_mounts = false,
        .files_have_posix_owners = false,
        .short_names_listing = {WINE_LOADER, "cmd", "/c", "dir", "/x"},
        .end_of_input_key = "",
        .slash_question_is_help = true,
        // Every start, clear and pause starts Windows processes under Wine,
        // slower still when the suite runs tests side by side.
        .timeout = seconds(60),
    };
    return program;
}

}  // namespace e2e
