// One run of the program under test in a pseudo-terminal: a private tmux
// server, a pane of fixed size whose every output byte is logged from the very
// start, keys sent as the bytes a terminal sends, and waits until what a step
// causes is there (or fail the scenario with the screen): the output log is
// watched, the screen and the terminal's settings polled.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_watch.hpp"
#include "processes.hpp"
#include "program.hpp"
#include "scenario_error.hpp"
#include "temp_dir.hpp"

namespace harness {

struct SessionOptions {
    // When set, the program's standard input is a file holding these bytes;
    // keys still come from the terminal.
    std::optional<std::string> standard_input;
    // The program starts with SIGHUP ignored (as under nohup), so that it
    // outlives its terminal (see close_terminal).
    bool ignore_hangup = false;
    // The program starts as a background job ("&"): the terminal's
    // foreground stays with the shell.
    bool background = false;
    // Wider than the program's longest line: Wine's console breaks a longer
    // line itself, which capture-pane -J cannot join again.
    int columns = 200;
    int rows = 40;
};

// Where a harness call was made, for failure messages: what
// std::source_location gives, made with builtins that every compiler and
// analyser used here knows.
class CallSite {
public:
    static constexpr CallSite current(const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
        return CallSite(file, line);
    }
    constexpr const char* file_name() const { return file_; }
    constexpr int line() const { return line_; }

private:
    constexpr CallSite(const char* file, int line) : file_(file), line_(line) {}
    const char* file_;
    int line_;
};

class TerminalSession {
public:
    using Where = CallSite;

    // Makes the session's folders (the data folder is empty and already
    // there, so that a test can prepare it or lay a fault on it), but starts
    // nothing yet.
    explicit TerminalSession(Program program, SessionOptions options = {});
    // Ends the program if it still runs, the tmux server and the folders.
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // The folder the program runs in.
    TempDir& data_dir() { return data_dir_; }

    // Starts the pane with the program held back, attaches the output log,
    // reads the terminal's settings, then lets the program run.
    void start(Where where = Where::current());
    // When start() let the program run.
    std::chrono::steady_clock::time_point released_at() const { return released_at_; }

    // --- keys ---------------------------------------------------------------
    // Sends bytes to the pane exactly as a terminal sends them for a key
    // press or for typed text (tmux send-keys -H).
    void send(std::string_view bytes, Where where = Where::current());
    // Puts bytes into the terminal's input straight from this process
    // (TIOCSTI), without tmux's round trip of a few milliseconds: for timing
    // what a key causes. Where the system refuses that (it needs
    // CAP_SYS_ADMIN), sends them as send does and gives false.
    bool send_directly(std::string_view bytes, Where where = Where::current());

    // --- waits (each fails the scenario after the program's timeout) -------
    // Until the output log holds `text` at least `count` times.
    void wait_for_log(std::string_view text, int count = 1, Where where = Where::current());
    // Until the screen (see screen_lines) holds `text` at least `count` times.
    void wait_for_screen(std::string_view text, int count = 1, Where where = Where::current());
    // Until the screen (see screen_lines) is exactly these lines
    // (trailing spaces and trailing empty lines aside).
    void wait_for_screen_lines(const std::vector<std::string>& lines, Where where = Where::current());
    // Until the program waits for a key: the terminal is out of canonical
    // mode and echo. A key sent earlier would be echoed by the terminal.
    void wait_for_key_wait(Where where = Where::current());
    // Until `done` holds; `what` describes it in the failure report.
    void wait_until(const std::function<bool()>& done, std::string_view what, Where where = Where::current());
    // Until the program has ended; how it ended.
    Ending wait_for_exit(Where where = Where::current());

    // --- what there is now -------------------------------------------------
    // The output log so far: every byte the terminal received from the program.
    std::string log() const;
    int log_count(std::string_view text) const;
    // The screen with its scrollback, one line per row (wrapped rows joined),
    // trailing spaces and trailing empty lines removed. The scrollback only
    // where the program's clear empties it (Program::clear_empties_scrollback);
    // elsewhere what is left above a clear would be shown too.
    std::vector<std::string> screen_lines() const;
    std::string screen_text() const;  // the same, joined with line feeds
    struct Cursor {
        int column;
        int row;
    };
    Cursor cursor() const;
    // The program has ended (the launcher has reported how).
    bool has_exited() const;
    // tmux has closed the pane's terminal: all output has been read.
    bool pane_dead() const;

    // --- the terminal and the process --------------------------------------
    // `stty -g` of the pane's terminal: before the program ran, now, and as
    // the program left it when it ended.
    const std::string& stty_before() const { return stty_before_; }
    std::string stty_now() const;
    std::string stty_after_exit(Where where = Where::current());
    // `stty -a` of the pane's terminal now, for readable checks of flags.
    std::string stty_all_now() const;
    // Sets the pane's terminal to `stty -g` settings, as a shell puts its
    // own back while its job is stopped.
    void set_stty(const std::string& settings, Where where = Where::current());
    // Closes the pane and with it the terminal, as when a terminal window is
    // closed; the tmux server ends with it.
    void close_terminal(Where where = Where::current());
    pid_t program_pid(Where where = Where::current());
    void send_signal(int signal, Where where = Where::current());
    // The process state letter from /proc (R, S, T...), or '?' once it is gone.
    char process_state(Where where = Where::current());

    // A report of the session for failure messages: the screen and the log's tail.
    std::string report() const;

private:
    std::optional<std::string> stty(const std::string& arguments) const;
    std::string tmux(const std::vector<std::string>& arguments, Where where) const;
    std::optional<std::string> try_tmux(const std::vector<std::string>& arguments) const;
    std::string display(std::string_view format, Where where) const;
    std::string timed_out() const;
    [[noreturn]] void fail(std::string_view what, Where where) const;
    void release(Where where);

    Program program_;
    SessionOptions options_;
    TempDir root_;
    TempDir data_dir_;
    fs::path socket_;
    fs::path log_path_;
    fs::path go_fifo_;
    fs::path pid_path_;
    fs::path stty_after_path_;
    fs::path ending_path_;
    std::vector<std::string> tmux_environment_;
    bool server_started_ = false;
    pid_t server_pid_ = -1;
    std::string pane_tty_;
    pid_t pane_pid_ = -1;
    pid_t program_pid_ = -1;
    std::optional<FileWatch> log_watch_;
    std::chrono::steady_clock::time_point released_at_;
    std::string stty_before_;
    mutable int scratch_serial_ = 0;
};

}  // namespace harness
