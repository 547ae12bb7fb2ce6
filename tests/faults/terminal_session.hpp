// Runs a program as the foreground job of a fresh pseudo-terminal, the way a
// shell with job control would: a small session-leader process owns the
// terminal, starts the program in its own process group, and reports every
// stop, resume and end of it. The caller plays the operator at the other end
// of the terminal: it reads the screen, presses keys, sends signals and can
// hang the terminal up.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace faults {

struct Launch {
    std::vector<std::string> command;            // the program and its arguments
    std::string folder;                          // working folder
    std::string input_file;                      // standard input; empty: the terminal
    std::vector<std::string> extra_environment;  // "NAME=value" added to ours
};

// How the program ended, as its parent saw it.
struct ProgramEnd {
    int wait_status = 0;
    struct rusage usage {};  // what the program itself used

    bool exited_with(int status) const;
    bool killed_by(int signal) const;
    std::string describe() const;
};

enum class JobChange { stopped, continued, ended };

struct JobReport;  // what the session leader tells the session

class TerminalSession {
public:
    // Every wait gives up after this long; a test treats that as a failure,
    // never as a measurement.
    static constexpr std::chrono::seconds patience{10};

    // A new terminal, with nothing running on it yet.
    TerminalSession();
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Starts the program, once.
    void start(const Launch& launch);

    pid_t program() const { return program_; }

    // Everything the program has written to the terminal so far.
    const std::string& screen() const { return screen_; }

    // Waits until `text` appears on the screen after the previous match.
    bool wait_for_text(std::string_view text);

    // Waits until the terminal is switched out of line mode and echo, that
    // is until the program waits for a single key.
    bool wait_for_key_wait();

    // Waits for the next menu prompt, and for the program to wait for a key.
    bool wait_for_prompt(std::string_view prompt);

    void press(std::string_view keys) const;

    // The terminal's settings as `stty -g` prints them, and back.
    std::string settings() const;
    void set_settings(const std::string& settings) const;

    // Closes the operator's side of the terminal, as a closed window does.
    void hang_up();

    // The next stop, resume or end of the program; false when none came.
    bool wait_for_change(JobChange& change);

    // Waits for the program to end; false when it did not.
    bool wait_for_end();
    const ProgramEnd& end() const { return end_; }

private:
    bool receive(JobReport& report);
    bool read_screen(std::chrono::steady_clock::time_point deadline);
    std::string run_stty(const std::string& arguments) const;

    int terminal_ = -1;  // our side of the pseudo-terminal
    std::string terminal_path_;
    int reports_ = -1;  // what the session leader tells us
    pid_t leader_ = -1;
    pid_t program_ = -1;
    bool ended_ = false;
    ProgramEnd end_;
    std::string screen_;
    std::size_t seen_ = 0;  // where the next wait_for_text starts looking
};

}  // namespace faults
