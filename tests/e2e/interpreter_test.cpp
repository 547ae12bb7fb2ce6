// How the command interpreter is started for "cls" and "pause", as the log
// of the processes the program starts shows it: with "/d", so that no
// AutoRun command runs at every clear and pause.
#include "scenario.hpp"

namespace e2e {
namespace {

using Interpreter = Scenario;

TEST_F(Interpreter, ClsAndPauseRunWithoutAutoRunCommands) {
    E2E_REQUIRE(!program().process_trace_variable.empty(), "nothing logs the processes it starts");
    // The log goes to standard error: into a file, the terminal staying.
    const TempDir root("qke2e-trace");
    const fs::path trace = root.path() / "trace";
    under_test.environment.push_back(program().process_trace_variable);
    under_test.command.insert(under_test.command.begin(),
                              {"sh", "-c", R"(exec "$@" 2>"$0")", trace.string()});
    start();
    press("3");
    answer(texts::char_code_prompt, "a");
    expect_outcome("El valor AscII del caracter a, es 97");

    const std::string log = read_file(trace);
    EXPECT_NE(log.find(R"(cmdline L"cmd /d /c cls")"), std::string::npos) << log;
    EXPECT_NE(log.find(R"(cmdline L"cmd /d /c pause")"), std::string::npos) << log;
    EXPECT_EQ(log.find(R"(cmdline L"cmd /c)"), std::string::npos) << log;
}

}  // namespace
}  // namespace e2e
