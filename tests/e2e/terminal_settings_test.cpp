// The terminal is in raw mode only while a key is awaited, and signals
// arriving then leave it as it was. The pane's process stands where an operator's shell
// stands: the program runs as its foreground job, so SIGTSTP really stops it.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>

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
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminatingSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST_F(TerminalSettingsTest, StopAndContinueDuringAKeyWaitRestoresThenResumesRawMode) {
    start_and_wait_for_a_key();
    const std::string raw = term().stty_now();

    term().send_signal(SIGTSTP);
    term().wait_until([&] { return term().process_state() == 'T'; }, "the program to be stopped");
    EXPECT_EQ(term().stty_now(), term().stty_before()) << "while stopped the terminal must be as it was";

    term().send_signal(SIGCONT);
    term().wait_until([&] { return term().process_state() != 'T'; }, "the program to run again");
    term().wait_for_key_wait();
    EXPECT_EQ(term().stty_now(), raw);

    // It still reads keys: the exit confirmation, then "S".
    press("0");
    term().wait_for_screen(texts::exit_question);
    press("S");
    const Ending ending = term().wait_for_exit();
    EXPECT_FALSE(ending.signaled) << ending.describe();
    EXPECT_EQ(ending.status, 1) << ending.describe();
    EXPECT_EQ(term().stty_after_exit(), term().stty_before());
}

TEST_F(TerminalSettingsTest, StopSignalThatCannotBeCaughtThenContinueStillReadsKeys) {
    start_and_wait_for_a_key();
    term().send_signal(SIGSTOP);
    term().wait_until([&] { return term().process_state() == 'T'; }, "the program to be stopped");
    term().send_signal(SIGCONT);
    term().wait_until([&] { return term().process_state() != 'T'; }, "the program to run again");
    press("0");
    term().wait_for_screen(texts::exit_question);
    press("n");
    expect_menu_only();
    press(keys::ctrl_e);
    const Ending ending = term().wait_for_exit();
    EXPECT_EQ(ending.status, 0) << ending.describe();
    EXPECT_EQ(term().stty_after_exit(), term().stty_before());
}

// A terminal that goes away while a key is awaited (its window closed) with
// the hangup signal ignored: no key can be read any more, and the program
// ends at once with the status of "no terminal" instead of spinning.
TEST_F(TerminalSettingsTest, ATerminalThatGoesAwayEndsTheProgramAtOnceWithStatusTwo) {
    options.ignore_hangup = true;
    start();
    term().wait_for_key_wait();
    const auto closed = std::chrono::steady_clock::now();
    term().close_terminal();
    const Ending ending = term().wait_for_exit();
    const auto took = std::chrono::steady_clock::now() - closed;
    EXPECT_FALSE(ending.signaled) << ending.describe();
    EXPECT_EQ(ending.status, 2) << ending.describe();
    EXPECT_LE(took, std::chrono::milliseconds(1000) + program().startup_allowance) << "it must end at once";
}

}  // namespace
}  // namespace e2e
