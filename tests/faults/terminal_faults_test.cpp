// While the program waits for a key its terminal is in raw mode. A resume
// after a stop it could not catch, and the terminal going away, are the two
// events of that wait that the end-to-end tests leave to this file (they
// cover the signals that the program catches).
#include <gtest/gtest.h>

#include <csignal>

#include "scratch_folder.hpp"
#include "terminal_session.hpp"

namespace faults {
namespace {

// The exit status of a program that has no terminal left to read keys from.
constexpr int no_console_status = 2;

double cpu_seconds(const struct rusage& usage) {
    const auto seconds = [](const struct timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class TerminalFaults : public ::testing::Test {
protected:
    // Starts the program and waits until it waits for a key at the menu.
    void start_at_menu() {
        session.start({{QKEDITOR_BINARY}, data.path(), "", {}});
        ASSERT_TRUE(session.wait_for_prompt("Eliga una opcion: ")) << session.screen();
        ASSERT_NE(session.settings(), settings_before) << "the terminal should be in raw mode now";
    }

    void expect_change(JobChange expected) {
        JobChange change{};
        ASSERT_TRUE(session.wait_for_change(change)) << session.screen();
        ASSERT_EQ(change, expected);
    }

    // The menu still answers keys: "0" and "S" leave with status 1.
    void leave_by_menu() {
        session.press("0");
        ASSERT_TRUE(session.wait_for_prompt("(S/N)")) << session.screen();
        session.press("S");
        ASSERT_TRUE(session.wait_for_end()) << session.screen();
        EXPECT_TRUE(session.end().exited_with(1)) << session.end().describe();
    }

    ScratchFolder data;
    TerminalSession session;
    const std::string settings_before = session.settings();
};

// SIGSTOP cannot be caught: the program is stopped in raw mode, the shell puts
// its own settings back meanwhile, and on resume the program must take raw
// mode again or its keys would wait for Enter and echo.
TEST_F(TerminalFaults, ResumeAfterUncatchableStopTakesRawModeAgain) {
    ASSERT_NO_FATAL_FAILURE(start_at_menu());
    ::kill(session.program(), SIGSTOP);
    ASSERT_NO_FATAL_FAILURE(expect_change(JobChange::stopped));
    session.set_settings(settings_before);

    ::kill(session.program(), SIGCONT);
    ASSERT_NO_FATAL_FAILURE(expect_change(JobChange::continued));
    ASSERT_TRUE(session.wait_for_key_wait()) << "raw mode again after the resume";
    ASSERT_NO_FATAL_FAILURE(leave_by_menu());
    EXPECT_EQ(session.settings(), settings_before);
}

// A hang-up sends SIGHUP to the session leader only; a job that no shell
// passes it on to (the shell died first, or nohup) meets the dead terminal
// itself, and must end rather than wait or spin on it.
TEST_F(TerminalFaults, HangUpAtKeyWaitEndsProgramWithoutSpinning) {
    ASSERT_NO_FATAL_FAILURE(start_at_menu());
    session.hang_up();
    ASSERT_TRUE(session.wait_for_end()) << "the program outlived its terminal";
    EXPECT_TRUE(session.end().exited_with(no_console_status)) << session.end().describe();
    // Start and exit take a few milliseconds of processor time; retries on
    // the dead terminal before giving up would take far more.
    EXPECT_LT(cpu_seconds(session.end().usage), 0.5);
}

// A terminal closed in the middle of a dialogue is no end of input: the
// dialogue must not run on with the entries of an earlier run and write a
// record that the operator never finished.
TEST_F(TerminalFaults, HangUpInTheMiddleOfADialogueWritesNoRecord) {
    data.make_folders("Account/AscII97");
    ASSERT_NO_FATAL_FAILURE(start_at_menu());
    session.press("2");
    ASSERT_TRUE(session.wait_for_text("Account name (10 chars): ")) << session.screen();
    session.press("acct\r");
    ASSERT_TRUE(session.wait_for_text("Account password (8 chars): ")) << session.screen();
    session.hang_up();
    ASSERT_TRUE(session.wait_for_end()) << "the program outlived its terminal";
    EXPECT_TRUE(session.end().exited_with(no_console_status)) << session.end().describe();
    EXPECT_EQ(entries_of(data / "Account/AscII97"), std::vector<std::string>{});
}

}  // namespace
}  // namespace faults
