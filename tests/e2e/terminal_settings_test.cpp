// The terminal is in raw mode only while a key is awaited, and signals
// arriving then leave it as it was; a terminal that goes away ends the
// program. The pane's process stands where an operator's shell stands: the
// program runs as its foreground job, so SIGTSTP really stops it.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "scenario.hpp"

namespace e2e {
namespace {

class TerminalSettingsTest : public Scenario {
protected:
    void SetUp() override {
        E2E_REQUIRE(program().terminal_settings_are_the_programs,
                    "the console layer owns the terminal's settings");
    }

    // Starts the program and waits until it waits for a key at the menu,
    // checking that the terminal is then in raw mode.
    void start_and_wait_for_a_key() {
        start();
        term().wait_for_key_wait();
        std::string flags = term().stty_all_now();
        std::replace_if(
            flags.begin(), flags.end(), [](char c) { return c == '\n' || c == ';'; }, ' ');
        flags = " " + flags + " ";
        for (const char* flag : {"-icanon", "-echo", "-isig", "-ixon", "-icrnl"}) {
            EXPECT_NE(flags.find(std::string(" ") + flag + " "), std::string::npos)
                << flag << " not set while a key is awaited:\n"
                << flags;
        }
        EXPECT_NE(term().stty_now(), term().stty_before());
        wait_for_keypad_mode(true);
    }

    // Continues the stopped program; once it waits for a key, the terminal is
    // in the raw mode `raw` again.
    void continue_into_raw_mode(const std::string& raw) {
        term().send_signal(SIGCONT);
        term().wait_until([&] { return term().process_state() != 'T'; }, "the program to run again");
        term().wait_for_key_wait();
        EXPECT_EQ(term().stty_now(), raw);
    }
};

class TerminatingSignal : public TerminalSettingsTest, public ::testing::WithParamInterface<int> {};

TEST_P(TerminatingSignal, DuringAKeyWaitEndsTheProgramAndLeavesTheTerminalAsItWas) {
    start_and_wait_for_a_key();
    term().send_signal(GetParam());
    const Ending ending = term().wait_for_exit();
    EXPECT_TRUE(ending.signaled) << ending.describe();
    EXPECT_EQ(ending.signal, GetParam()) << ending.describe();
    EXPECT_EQ(term().stty_after_exit(), term().stty_before());
    wait_for_keypad_mode(false);
}

// Every catchable signal whose default action ends the process, from the
// operator, a timer, a closed pipe or a limit.
INSTANTIATE_TEST_SUITE_P(Signals, TerminatingSignal,
                         ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
                                           SIGVTALRM, SIGPROF, SIGPIPE, SIGXCPU, SIGPWR),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// A copy started in the background ("&") stops when it would take the
// terminal, until it is brought to the foreground. A signal that ends it,
// sent as a shell's kill sends it to a stopped job (then SIGCONT), ends it
// at once, and the terminal stays the shell's.
class BackgroundCopy : public TerminatingSignal {};

TEST_P(BackgroundCopy, StoppedForTheTerminalEndsAtOnceAndLeavesTheTerminalAsItWas) {
    options.background = true;
    start();
    term().wait_until([&] { return term().process_state() == 'T'; }, "the program to stop in the background");
    term().send_signal(GetParam());
    term().send_signal(SIGCONT);
    const Ending ending = term().wait_for_exit();
    EXPECT_TRUE(ending.signaled && ending.signal == GetParam()) << ending.describe();
    EXPECT_EQ(term().stty_after_exit(), term().stty_before());
}

INSTANTIATE_TEST_SUITE_P(Signals, BackgroundCopy, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST_F(TerminalSettingsTest, StopAndContinueDuringAKeyWaitRestoresThenResumesRawMode) {
    start_and_wait_for_a_key();
    const std::string raw = term().stty_now();

    term().send_signal(SIGTSTP);
    term().wait_until([&] { return term().process_state() == 'T'; }, "the program to be stopped");
    EXPECT_EQ(term().stty_now(), term().stty_before()) << "while stopped the terminal must be as it was";
    wait_for_keypad_mode(false);

    continue_into_raw_mode(raw);
    wait_for_keypad_mode(true);
    // It still reads keys: the exit confirmation, then "S".
    leave_through_exit_confirmation();
}

// SIGSTOP cannot be caught: the program is stopped in raw mode, and a shell
// puts its own settings back meanwhile. On resume the program must take raw
// mode again, or its keys would wait for Enter and echo.
TEST_F(TerminalSettingsTest, ResumeAfterAStopThatCannotBeCaughtTakesRawModeAgain) {
    start_and_wait_for_a_key();
    const std::string raw = term().stty_now();
    term().send_signal(SIGSTOP);
    term().wait_until([&] { return term().process_state() == 'T'; }, "the program to be stopped");
    term().set_stty(term().stty_before());
    continue_into_raw_mode(raw);
    press("0");
    term().wait_for_screen(texts::exit_question);
    press("n");
    expect_menu_only();
    press(keys::ctrl_e);
    expect_exit_status(0);
}

// Stops and resumes by the thousand while the program leaves raw mode for a
// line prompt, again and again: none may undo the switch back, or the prompt
// would wait in raw mode, where the terminal neither edits nor echoes.
TEST_F(TerminalSettingsTest, AFloodOfStopsAndResumesNeverLeavesALinePromptInRawMode) {
    start_and_wait_for_a_key();
    const pid_t pid = term().program_pid();
    // Mostly resumes: one that arrives during the switch back is handled
    // right after it, where a stale record of raw mode would undo it.
    std::jthread flood([pid](const std::stop_token& stop) {
        for (unsigned count = 0; !stop.stop_requested(); ++count)
            ::kill(pid, count % 1024 == 0 ? SIGTSTP : SIGCONT);
        ::kill(pid, SIGCONT);
    });
    for (int round = 1; round <= 20; ++round) {
        press("3");
        wait_for_prompt(texts::char_code_prompt);
        ASSERT_EQ(term().stty_now(), term().stty_before())
            << "raw mode at the line prompt of round " << round;
        type_line("a");
        expect_outcome("El valor AscII del caracter a, es 97");
    }
}

// A terminal that goes away (its window closed) with the hangup signal
// ignored, as under nohup or when no shell passes it on: no key can be read
// any more, and the program ends with the status of "no terminal".
class TerminalGoesAway : public Scenario {
protected:
    void SetUp() override { options.ignore_hangup = true; }
};

TEST_F(TerminalGoesAway, DuringAKeyWaitTheProgramEndsWithStatusTwoWithoutSpinning) {
    start();
    wait_for_key_wait();
    term().close_terminal();
    const Ending ending = expect_exit_status(2);
    // Start and exit take a few milliseconds of processor time; retries on
    // the dead terminal before giving up would take far more.
    EXPECT_LT(ending.cpu_time, std::chrono::milliseconds(500)) << ending.describe();
}

// The end of a terminal is no end of input: the dialogue must not run on
// with the entries of an earlier run and write a record never finished; nor,
// with its answers from a file, take the back-or-quit question that nobody
// answered for "go on".
class TerminalGoesAwayInADialogue : public TerminalGoesAway, public ::testing::WithParamInterface<bool> {};

TEST_P(TerminalGoesAwayInADialogue, NoRecordIsWritten) {
    const bool from_a_file = GetParam();
    E2E_REQUIRE(!from_a_file || program().keys_arrive_with_stdin_redirected,
                "no keys with standard input a file");
    if (from_a_file) options.standard_input = "acctacctacc\npw\nmail\nquiz\nanswer\n";
    make_folder("Account/AscII97");
    start();
    press("2");
    from_a_file ? term().wait_for_screen(texts::back_or_quit) : answer(texts::account_name_prompt, "acct");
    from_a_file ? wait_for_key_wait() : wait_for_prompt(texts::password_prompt);
    term().close_terminal();
    expect_exit_status(2);
    EXPECT_EQ(entries_of(data() / "Account" / "AscII97"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(AnswersFromAFile, TerminalGoesAwayInADialogue, ::testing::Bool());

}  // namespace
}  // namespace e2e
