// The menu loop end to end: its keys as a terminal sends them, option "1",
// and the command line without a terminal at all.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include "scenario.hpp"

namespace e2e {
namespace {

// The menu as the program writes it, with the line end given.
std::string menu_output(std::string_view line_end) {
    std::string text;
    for (const auto& piece : texts::menu) {
        text += piece;
        if (piece != texts::menu_prompt) text += line_end;
    }
    return text;
}

// The output log says: the message (right behind the prompt, checked apart),
// the clear at once, and the whole menu again.
std::string invalid_option_pass(const Program& program) {
    return std::string(texts::invalid_option) + program.clear_bytes + menu_output("\r\n");
}

class MenuTest : public Scenario {
protected:
    // The message behind the prompt, with only the switches of a key wait
    // between; none for the second code of a key, which is not waited for.
    std::string message_behind_prompt(bool key_wait) const {
        return std::string(texts::menu_prompt) + (key_wait ? program().key_wait_switches() : "") +
               std::string(texts::invalid_option);
    }

    // Waits until the menu loop has had `count` invalid-option passes in all.
    // Such a pass leaves the screen as it was (the menu on a cleared screen),
    // so only the output log shows it: the whole pass where the log holds the
    // program's output, else the message, which the console draws once a pass.
    void wait_for_invalid_passes(int count, Where where = Where::current()) {
        term().wait_for_log(program().log_is_program_output ? invalid_option_pass(program())
                                                            : std::string(texts::invalid_option),
                            count, where);
    }

    // A key that the program reads as `passes` invalid options in a row;
    // where `rest` is given, its bytes come 0.15 s after `key`'s.
    void expect_invalid_passes(std::string_view key, int passes_before, int passes,
                               std::string_view rest = {}) {
        press(key);
        if (!rest.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(150)), term().send(rest);
        wait_for_invalid_passes(passes_before + passes);
        expect_menu_only();
    }

    // After the session: `passes` invalid options in all, each right behind the prompt.
    void expect_invalid_passes_in_all(int passes) {
        EXPECT_EQ(term().log_count(texts::invalid_option), passes);
        if (program().log_is_program_output) {
            // Without switches a key wait leaves no mark: each pass counts once.
            EXPECT_EQ(term().log_count(message_behind_prompt(true)) +
                          (program().keypad_on.empty() ? 0 : term().log_count(message_behind_prompt(false))),
                      passes);
        }
    }
};

TEST_F(MenuTest, ShowsTheSevenPiecesAndWaitsWithTheCursorBehindThePrompt) {
    start();  // waits for the screen to be exactly the menu
    const auto cursor = term().cursor();
    EXPECT_EQ(cursor.row, 6);
    EXPECT_EQ(cursor.column, static_cast<int>(texts::menu_prompt.size()));
    if (program().log_is_program_output) {
        // Nothing before the menu, nothing after the prompt but the switch
        // for the key wait: no clear at start, no line feed, no echo.
        term().wait_for_log(std::string(texts::menu_prompt) + program().keypad_on);
        EXPECT_EQ(term().log(), menu_output("\r\n") + program().keypad_on);
    }
    EXPECT_FALSE(term().has_exited());
}

TEST_F(MenuTest, InvalidKeysPrintTheMessageAndBringTheMenuBackOnAClearedScreen) {
    start();
    int passes = 0;
    for (const std::string_view key : {"5", "6", "7", "8", "9", "a", "Z", "s", "n", " ", "\r"}) {
        SCOPED_TRACE("key " + visible(key));
        expect_invalid_passes(key, passes, 1);
        ++passes;
    }
    leave_through_exit_confirmation();
    expect_invalid_passes_in_all(passes);
    EXPECT_TRUE(tree_listing(data()).empty()) << "an invalid option made files";
}

// Keys pressed at the menu: each code of a key (two for a key without a
// character) is one pass. A key that the program under test cannot be given
// is left out, and the test then skips, saying which and why.
struct MenuKey {
    std::string name;
    std::string_view bytes;
    int codes;
    bool Program::*given = nullptr;  // where set, the program must have it
    std::string_view why_not = {};
    std::string_view rest = {};  // the key's last bytes, where they come apart
};

const MenuKey menu_keys[] = {
    {"Up (224 72)", keys::up, 2},
    {"Left (224 75)", keys::left, 2},
    {"Delete (224 83)", keys::del, 2},
    {"F1 (0 59)", keys::f1, 2},
    {"F12 (224 134)", keys::f12, 2},
    {"n with tilde (C3 B1)", keys::n_tilde, 1},
    {"Escape alone (27)", keys::escape, 1, &Program::lone_escape_is_a_key, "Wine in a terminal drops it"},
    // Ctrl+C is the key 3 while a key is awaited, not a signal.
    {"Ctrl+C (3)", keys::ctrl_c, 1, &Program::ctrl_c_is_a_key, "a console event here (the Windows checks)"},
    // Home and End as tmux sends them in its screen terminal.
    {"Home (224 71)", "\x1b[1~", 2, &Program::home_and_end_are_keys, "Wine in a terminal reads it otherwise"},
    {"End (224 79)", "\x1b[4~", 2, &Program::home_and_end_are_keys, "Wine in a terminal reads it otherwise"},
    // Home from a slow link, after its wait ran out: dropped whole, never option 1.
    {"Home split after ESC [ (none)", "\x1b[", 0, &Program::split_key_is_dropped, "Wine reads them", "1~"},
};

TEST_F(MenuTest, EachCodeOfAKeyIsOnePass) {
    start();
    std::string left_out;
    int passes = 0;
    for (const auto& [name, bytes, codes, given, why_not, rest] : menu_keys) {
        SCOPED_TRACE("key " + name);
        if (given == nullptr || program().*given) {
            expect_invalid_passes(bytes, passes, codes, rest);
            passes += codes;
        } else {
            left_out += " " + name + ": " + std::string(why_not) + ".";
        }
    }
    // "0" is read only once every code before it has been: no extra pass.
    leave_through_exit_confirmation();
    expect_invalid_passes_in_all(passes);
    EXPECT_TRUE(tree_listing(data()).empty()) << "a key ran a command";
    if (!left_out.empty()) GTEST_SKIP() << program().name << ": keys left out:" << left_out;
}

// Keys typed ahead arrive in one read while a key is awaited; each is read
// by the next key wait, none is lost or echoed between the waits.
TEST_F(MenuTest, KeysTypedAheadInOneBurstAreAllReadInTurn) {
    start();
    press("50n0s");  // invalid, exit question, "no", exit question, "yes"
    expect_exit_status(1);
    term().wait_for_log(texts::exit_question, 2);
    EXPECT_EQ(term().log_count(texts::exit_question), 2);
    if (program().log_is_program_output) {
        // Exactly what the five keys cause, in turn, and no echo of any of them.
        const std::string menu = menu_output("\r\n") + program().key_wait_switches();
        const std::string question =
            "\r\n\r\n" + std::string(texts::exit_question) + "\r\n" + program().key_wait_switches();
        EXPECT_EQ(term().log(), menu + std::string(texts::invalid_option) + program().clear_bytes + menu +
                                    question + program().clear_bytes + menu + question);
    }
}

// The screen while the exit confirmation waits: the menu, and the question
// below it after an empty line.
std::vector<std::string> menu_with_exit_question() {
    std::vector<std::string> lines = texts::menu;
    lines.insert(lines.end(), {"", std::string(texts::exit_question)});
    return lines;
}

class ExitConfirmationTest : public MenuTest, public ::testing::WithParamInterface<std::string> {
protected:
    // The menu, "0", and the key of the row at the question.
    void answer_exit_question() {
        start();
        press("0");
        term().wait_for_screen_lines(menu_with_exit_question());
        press(GetParam());
    }
};

class ExitConfirmationLeaves : public ExitConfirmationTest {};

TEST_P(ExitConfirmationLeaves, EndsWithStatusOneAndTheTerminalAsItWas) {
    answer_exit_question();
    expect_exit_status(1);
    term().wait_for_screen_lines(menu_with_exit_question());
}

INSTANTIATE_TEST_SUITE_P(BothCases, ExitConfirmationLeaves, ::testing::Values("S", "s"));

class ExitConfirmationStays : public ExitConfirmationTest {};

TEST_P(ExitConfirmationStays, ClearsTheScreenAndShowsTheMenu) {
    answer_exit_question();
    expect_menu_only();
    // Still at the menu, reading keys.
    press("0");
    term().wait_for_screen_lines(menu_with_exit_question());
    EXPECT_FALSE(term().has_exited());
}

INSTANTIATE_TEST_SUITE_P(BothCases, ExitConfirmationStays, ::testing::Values("N", "n"));

class ExitConfirmationOtherKey : public ExitConfirmationTest {};

TEST_P(ExitConfirmationOtherKey, ReturnsWithoutClearingSoTheMenuFollowsTheQuestion) {
    answer_exit_question();
    std::vector<std::string> expected = menu_with_exit_question();
    expected.insert(expected.end(), texts::menu.begin(), texts::menu.end());
    term().wait_for_screen_lines(expected);
    EXPECT_FALSE(term().has_exited());
    if (program().log_is_program_output) {
        EXPECT_EQ(term().log_count(texts::invalid_option), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(AnyOtherKey, ExitConfirmationOtherKey, ::testing::Values("x", "1", "0"),
                         [](const auto& info) { return "key_" + info.param; });

TEST_F(MenuTest, CtrlEAtTheMenuTakesTheInvalidOptionPassThenEndsWithStatusZero) {
    start();
    press(keys::ctrl_e);
    expect_exit_status(0);
    if (program().log_is_program_output) {
        term().wait_for_log(message_behind_prompt(true) + program().clear_bytes);
        EXPECT_EQ(term().log(), menu_output("\r\n") + program().key_wait_switches() +
                                    std::string(texts::invalid_option) + program().clear_bytes)
            << "after the clear, the loop ends without printing the menu again";
    }
}

TEST_F(MenuTest, OptionOneTwiceMakesTheSameAccountTreeAndKeepsFilesInIt) {
    // Tall enough for the whole listing and the pause, so that the screen
    // shows all of it whatever a clear leaves in the scrollback.
    options.rows = 256;
    start();
    std::vector<std::string> folders_screen = texts::creating_folders();
    folders_screen.insert(folders_screen.end(), {"", pause_line()});

    press("1");
    term().wait_for_screen_lines(folders_screen);
    EXPECT_EQ(tree_listing(data()), account_tree_listing()) << "only Account and AscII1 to AscII249";

    // A record already in a bucket folder must survive the second run.
    write_file(data() / "Account" / "AscII97" / "kept.txt", "kept\r\n");
    // The pause takes the whole key: Up leaves nothing for the menu.
    press(keys::up);
    if (!program().arrow_ends_pause) press(keys::space);
    expect_menu_only();

    press("1");
    term().wait_for_screen_lines(folders_screen);
    std::vector<std::string> expected_tree = account_tree_listing();
    expected_tree.emplace_back("Account/AscII97/kept.txt");
    std::sort(expected_tree.begin(), expected_tree.end());
    EXPECT_EQ(tree_listing(data()), expected_tree);
    EXPECT_EQ(read_file(data() / "Account" / "AscII97" / "kept.txt"), "kept\r\n");

    press("x");
    expect_menu_only();
    EXPECT_EQ(term().log_count("Creando AscII"), 2 * 249);
    EXPECT_EQ(term().log_count(texts::invalid_option), 0) << "the key that ended a pause reached the menu";
    if (program().log_is_program_output) {
        std::string run;
        for (int n = 1; n <= 249; ++n) run += texts::creating_folder(n) + "\r\n";
        run += "\r\n" + program().pause_prompt;
        EXPECT_EQ(term().log_count(program().clear_bytes + run), 2);
    }
}

// The command line without a terminal (no tmux, a new session without a
// controlling terminal, standard input from /dev/null): what each form says,
// and its status. None of them makes anything.
struct CommandLine {
    std::string name;
    std::vector<std::string> arguments;
    int status;
    std::string said;  // on standard output where the status is 0, else on standard error
};

class WithoutATerminal : public ::testing::TestWithParam<CommandLine> {};

TEST_P(WithoutATerminal, TheProgramEndsAtOnceWithItsAnswerAndMakesNothing) {
    const Program& program = program_under_test();
    const CommandLine& row = GetParam();
    TempDir root("qke2e-noterm");
    const fs::path data = root.path() / "data";
    fs::create_directory(data);
    Launch launch{
        .argv = program.command,
        .environment = environment_with(program.environment),
        .directory = data,
        .stdin_path = "/dev/null",
        .stdout_path = root.path() / "stdout",
        .stderr_path = root.path() / "stderr",
        .new_session = true,
    };
    launch.argv.insert(launch.argv.end(), row.arguments.begin(), row.arguments.end());
    const pid_t pid = spawn(launch);
    const auto ending = wait_child(pid, program.timeout);
    if (!ending) {
        ::kill(pid, SIGKILL);
        wait_child(pid, std::chrono::seconds(10));
        FAIL() << "still running after " << program.timeout.count() << " ms without a terminal";
    }
    // It gives up at once: waiting or retrying for a terminal would take far more processor time.
    EXPECT_LT(ending->cpu_time, std::chrono::milliseconds(500)) << ending->describe();
    EXPECT_FALSE(ending->signaled) << ending->describe();
    EXPECT_EQ(ending->status, row.status) << ending->describe();
    const std::string out = read_file(root.path() / "stdout");
    const std::string error = read_file(root.path() / "stderr");
    EXPECT_NE((row.status == 0 ? out : error).find(row.said), std::string::npos) << out << error;
    // The other stream holds nothing; but without arguments standard output is a file:
    // block-buffered, complete at exit, exactly the menu once.
    EXPECT_EQ(row.status == 0 ? error : out, row.arguments.empty() ? menu_output(program.file_line_end) : "");
    // A refusal points to the help.
    EXPECT_EQ(error.find("vea qkeditor --help") != std::string::npos,
              row.status == 2 && !row.arguments.empty());
    EXPECT_TRUE(tree_listing(data).empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLines, WithoutATerminal, ::testing::Values(
    CommandLine{"none", {}, 2, "programa en una ventana de "},
    CommandLine{"help", {"--help"}, 0, "\nEstado de salida:"},
    CommandLine{"version", {"--version"}, 0, "qkeditor " QKEDITOR_VERSION},
    CommandLine{"folder", {"/srv/datos"}, 2, "no se admite el argumento \"/srv/datos\""},
    CommandLine{"control_bytes_after_help", {"--help", "\x1b[2J"}, 2, "\"\\x1B[2J\""},
    // Windows programs take "/?" for --help; elsewhere it is an argument like any other.
    program_under_test().slash_question_is_help ? CommandLine{"slash_question", {"/?"}, 0, "Uso: qkeditor [/? |"}
                                                : CommandLine{"slash_question", {"/?"}, 2, "\"/?\""}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace e2e
