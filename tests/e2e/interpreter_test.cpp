// How the command interpreter is started for "cls" and "pause", as the log
// of the processes the program starts shows it: with "/d", so that no
// AutoRun command runs at every clear and pause.
#include "scenario.hpp"

namespace e2e {
namespace {

TEST(Interpreter, ClsAndPauseRunWithoutAutoRunCommands) {
    const Program& plain = program_under_test();
    if (plain.process_trace_variable.empty()) {
        GTEST_SKIP() << plain.name << ": nothing logs the processes it starts";
    }
    TempDir root("qke2e-trace");
    const fs::path trace = root.path() / "trace";
    // The log goes to standard error: into a file, the terminal staying.
    Program traced = plain;
    traced.environment.push_back(plain.process_trace_variable);
    traced.command = {"sh", "-c", R"(exec "$@" 2>"$0")", trace.string()};
    traced.command.insert(traced.command.end(), plain.command.begin(), plain.command.end());

    // The screen shows prompts without their trailing space.
    const auto shown = [](std::string_view prompt) {
        return prompt.substr(0, prompt.find_last_not_of(' ') + 1);
    };
    TerminalSession term(traced);
    term.start();
    term.wait_for_screen_lines(texts::menu);
    term.send("3");
    term.wait_for_screen(shown(texts::char_code_prompt));
    term.send("a\r");
    term.wait_for_screen(shown(plain.pause_prompt));
    term.send(keys::enter);
    term.wait_for_screen_lines(texts::menu);

    const std::string log = read_file(trace);
    EXPECT_NE(log.find(R"(cmdline L"cmd /d /c cls")"), std::string::npos) << log;
    EXPECT_NE(log.find(R"(cmdline L"cmd /d /c pause")"), std::string::npos) << log;
    EXPECT_EQ(log.find(R"(cmdline L"cmd /c)"), std::string::npos) << log;
}

}  // namespace
}  // namespace e2e
