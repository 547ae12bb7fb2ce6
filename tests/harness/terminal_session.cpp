#include "terminal_session.hpp"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "files.hpp"

#ifndef JOB_LAUNCHER
#error "JOB_LAUNCHER must name the job_launcher binary"
#endif

namespace harness {
namespace {

constexpr std::string_view session_name = "e2e";
constexpr auto tmux_command_timeout = std::chrono::seconds(10);

// Each session's own tmux configuration: the pane stays after the program
// ends so that its exit can be read, the scrollback is large. (tmux 3.3a's
// server dies at start with "status off" or "window-size manual" in the
// configuration of a detached session; the status line costs one row.)
constexpr std::string_view tmux_configuration =
    "set -g remain-on-exit on\n"
    "set -g remain-on-exit-format ''\n"
    "set -g history-limit 50000\n"
    "set -g default-terminal tmux-256color\n"
    "set -s escape-time 0\n";

std::string hex_byte(unsigned char byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02x", byte);
    return text;
}

std::string trim_right(std::string line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    return line;
}

std::string first_line(std::string_view text) {
    return trim_right(std::string(text.substr(0, text.find('\n'))));
}

int count_of(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return 0;
    int count = 0;
    for (auto at = haystack.find(needle); at != std::string_view::npos;
         at = haystack.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

std::string quoted_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += "  " + std::to_string(i + 1) + ": |" + lines[i] + "|\n";
    return text;
}

std::string where_text(const CallSite& where) {
    return std::string(where.file_name()) + ":" + std::to_string(where.line());
}

// This process adopts the processes that its descendants leave behind (the
// tmux server is a daemon; a pane's process that tmux failed to reap is
// handed on when the server ends), so that it can reap them: the init
// process of some containers never does.
void adopt_orphans() {
    static const bool adopted = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    (void)adopted;
}

// A process's state letter (R, S, T, Z...) and its parent, from /proc;
// empty once it is gone.
struct ProcessStatus {
    char state = '?';
    pid_t parent = -1;
};

std::optional<ProcessStatus> process_status(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return std::nullopt;
    const auto end_of_name = text.rfind(')');  // the name may hold anything
    if (end_of_name == std::string::npos) return std::nullopt;
    ProcessStatus status;
    std::istringstream(text.substr(end_of_name + 1)) >> status.state >> status.parent;
    return status;
}

// The process exists and has not ended (a zombie has).
bool process_alive(pid_t pid) {
    const auto status = process_status(pid);
    return status && status->state != 'Z';
}

// Reaps the adopted processes that have ended. At the points where this runs
// the harness waits for no child of its own, so every ended child is an
// adopted one.
void reap_orphans() {
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

}  // namespace

TerminalSession::TerminalSession(Program program, SessionOptions options)
    : program_(std::move(program)),
      options_(std::move(options)),
      root_("qke2e"),
      data_dir_("qke2e-data"),
      socket_(root_.path() / "tmux.sock"),
      log_path_(root_.path() / "output.log"),
      go_fifo_(root_.path() / "go"),
      pid_path_(root_.path() / "program.pid"),
      stty_after_path_(root_.path() / "stty-after"),
      ending_path_(root_.path() / "ending"),
      tmux_environment_(environment_with({"TMUX", "TMUX_PANE", "LC_ALL=C.UTF-8"})) {}

TerminalSession::~TerminalSession() {
    if (!server_started_) return;
    // A program still running (or stopped) is ended by its id; only while it
    // is still the launcher's child, so that no other process can be hit.
    std::error_code missing;
    if (!has_exited() && pane_pid_ > 0 && fs::exists(pid_path_, missing)) {
        try {
            const pid_t pid = std::stoi(read_file(pid_path_));
            const auto status = process_status(pid);
            if (status && status->parent == pane_pid_) ::kill(pid, SIGKILL);
        } catch (const std::exception&) {
            // No process id written yet.
        }
    }
    try_tmux({"kill-server"});
    // The server (a daemon, adopted by this process) and what it leaves
    // behind are reaped here rather than left as zombies.
    if (server_pid_ > 0) {
        poll_until(tmux_command_timeout, [&] {
            reap_orphans();
            return ::kill(server_pid_, 0) != 0;
        });
    }
    reap_orphans();
}

void TerminalSession::start(Where where) {
    if (server_started_) fail("the session was started twice", where);
    write_file(root_.path() / "tmux.conf", tmux_configuration);
    if (::mkfifo(go_fifo_.c_str(), 0600) != 0) fail(std::string("mkfifo: ") + std::strerror(errno), where);

    std::vector<std::string> arguments = {"new-session",
                                          "-d",
                                          "-s",
                                          std::string(session_name),
                                          "-x",
                                          std::to_string(options_.columns),
                                          "-y",
                                          std::to_string(options_.rows),
                                          "-c",
                                          data_dir_.path().string(),
                                          "--",
                                          JOB_LAUNCHER,
                                          go_fifo_.string(),
                                          pid_path_.string(),
                                          stty_after_path_.string(),
                                          ending_path_.string()};
    if (options_.standard_input) {
        const fs::path input = root_.path() / "standard-input";
        write_file(input, *options_.standard_input);
        arguments.insert(arguments.end(), {"--stdin", input.string()});
    }
    for (const auto& variable : program_.environment) arguments.insert(arguments.end(), {"--env", variable});
    if (options_.ignore_hangup) arguments.emplace_back("--ignore-hangup");
    if (options_.background) arguments.emplace_back("--background");
    arguments.emplace_back("--");
    arguments.insert(arguments.end(), program_.command.begin(), program_.command.end());

    adopt_orphans();
    server_started_ = true;
    tmux(arguments, where);
    server_pid_ = std::stoi(display("#{pid}", where));
    write_file(log_path_, "");
    log_watch_.emplace(log_path_);
    tmux({"pipe-pane", "-o", "-t", std::string(session_name), "exec cat >> '" + log_path_.string() + "'"},
         where);
    pane_tty_ = display("#{pane_tty}", where);
    pane_pid_ = std::stoi(display("#{pane_pid}", where));
    stty_before_ = stty_now();
    if (stty_before_.empty()) fail("cannot read the settings of the pane's terminal " + pane_tty_, where);
    release(where);
}

// Lets the held-back launcher go on: a line into the fifo it waits on.
void TerminalSession::release(Where where) {
    int fd = -1;
    const bool opened = poll_until(program_.timeout, [&] {
        fd = ::open(go_fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        return fd >= 0 || errno != ENXIO;  // ENXIO: the launcher has not opened it yet
    });
    if (!opened || fd < 0) fail("the launcher never waited on its fifo", where);
    released_at_ = std::chrono::steady_clock::now();
    const bool written = ::write(fd, "go\n", 3) == 3;
    ::close(fd);
    if (!written) fail("cannot release the launcher", where);
}

void TerminalSession::send(std::string_view bytes, Where where) {
    if (bytes.empty()) return;
    std::vector<std::string> arguments = {"send-keys", "-t", std::string(session_name), "-H"};
    for (const char c : bytes) arguments.push_back(hex_byte(static_cast<unsigned char>(c)));
    tmux(arguments, where);
}

bool TerminalSession::send_directly(std::string_view bytes, Where where) {
    const int fd = ::open(pane_tty_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) fail("cannot open the pane's terminal " + pane_tty_ + ": " + std::strerror(errno), where);
    std::size_t sent = 0;
    while (sent < bytes.size() && ::ioctl(fd, TIOCSTI, &bytes[sent]) == 0) ++sent;
    ::close(fd);
    if (sent == bytes.size()) return true;
    send(bytes.substr(sent), where);
    return false;
}

void TerminalSession::wait_for_log(std::string_view text, int count, Where where) {
    const auto deadline = std::chrono::steady_clock::now() + program_.timeout;
    while (log_count(text) < count) {
        if (!log_watch_ || std::chrono::steady_clock::now() >= deadline) {
            fail(timed_out() + "the output log to hold " + std::to_string(count) + " time(s) \"" +
                     visible(text) + "\"",
                 where);
        }
        log_watch_->wait_for_change(deadline);
    }
}

void TerminalSession::wait_for_screen(std::string_view text, int count, Where where) {
    wait_until([&] { return count_of(screen_text(), text) >= count; },
               "the screen to show " + std::to_string(count) + " time(s) \"" + visible(text) + "\"", where);
}

void TerminalSession::wait_for_screen_lines(const std::vector<std::string>& lines, Where where) {
    std::vector<std::string> expected;
    expected.reserve(lines.size());
    for (const auto& line : lines) expected.push_back(trim_right(line));
    while (!expected.empty() && expected.back().empty()) expected.pop_back();
    std::vector<std::string> seen;
    const bool matched = poll_until(program_.timeout, [&] {
        seen = screen_lines();
        return seen == expected;
    });
    if (!matched)
        fail(timed_out() + "the screen to be exactly these lines:\n" + quoted_lines(expected), where);
}

void TerminalSession::wait_for_key_wait(Where where) {
    wait_until(
        [&] {
            const int fd = ::open(pane_tty_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) return false;
            struct termios settings {};
            const bool read = ::tcgetattr(fd, &settings) == 0;
            ::close(fd);
            return read && (settings.c_lflag & (ICANON | ECHO)) == 0;
        },
        "the program to wait for a key (the terminal without canonical mode and echo)", where);
}

void TerminalSession::wait_until(const std::function<bool()>& done, std::string_view what, Where where) {
    if (!poll_until(program_.timeout, done)) fail(timed_out() + std::string(what), where);
}

Ending TerminalSession::wait_for_exit(Where where) {
    // The launcher's report, not tmux's #{pane_dead_status}: see launcher.cpp.
    // The pane is dead once tmux has read the last output and closed the
    // terminal. tmux closes it when the pane's process has ended, or when no
    // process holds the terminal any more; a daemon that a loader started may
    // hold it (and tmux may miss the end), so the launcher's own end counts too.
    wait_until([&] { return fs::exists(ending_path_) && (pane_dead() || !process_alive(pane_pid_)); },
               "the program to end", where);
    std::istringstream report(read_file(ending_path_));
    std::string how;
    int number = -1;
    std::int64_t microseconds = 0;
    report >> how >> number >> microseconds;
    Ending ending;
    ending.signaled = how == "signaled";
    (ending.signaled ? ending.signal : ending.status) = number;
    ending.cpu_time = std::chrono::microseconds(microseconds);
    return ending;
}

std::string TerminalSession::log() const {
    std::error_code missing;
    if (!fs::exists(log_path_, missing)) return {};
    return read_file(log_path_);
}

int TerminalSession::log_count(std::string_view text) const {
    return count_of(log(), text);
}

std::vector<std::string> TerminalSession::screen_lines() const {
    std::vector<std::string> arguments = {"capture-pane", "-p", "-J", "-t", std::string(session_name)};
    if (program_.clear_empties_scrollback) arguments.insert(arguments.end(), {"-S", "-", "-E", "-"});
    const auto captured = try_tmux(arguments);
    std::vector<std::string> lines;
    if (!captured) return lines;
    std::istringstream in(*captured);
    for (std::string line; std::getline(in, line);) lines.push_back(trim_right(line));
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string TerminalSession::screen_text() const {
    std::string text;
    for (const auto& line : screen_lines()) text += line + "\n";
    return text;
}

TerminalSession::Cursor TerminalSession::cursor() const {
    const std::string position = display("#{cursor_x} #{cursor_y}", Where::current());
    Cursor cursor{};
    std::istringstream(position) >> cursor.column >> cursor.row;
    return cursor;
}

bool TerminalSession::has_exited() const {
    std::error_code missing;
    return fs::exists(ending_path_, missing);
}

bool TerminalSession::pane_dead() const {
    const auto dead = try_tmux({"display-message", "-p", "-t", std::string(session_name), "#{pane_dead}"});
    return dead && first_line(*dead) == "1";
}

std::string TerminalSession::stty_now() const {
    const auto settings = stty("-g");
    return settings ? first_line(*settings) : std::string();
}

std::string TerminalSession::stty_all_now() const {
    return stty("-a").value_or(std::string());
}

void TerminalSession::set_stty(const std::string& settings, Where where) {
    if (!stty(settings)) fail("stty could not set the terminal to " + settings, where);
}

// Runs stty on the pane's terminal; its output, or nothing when it failed.
std::optional<std::string> TerminalSession::stty(const std::string& arguments) const {
    const fs::path out = root_.path() / "stty.out";
    const pid_t pid = spawn({.argv = {"stty", "-F", pane_tty_, arguments},
                             .environment = tmux_environment_,
                             .stdout_path = out,
                             .stderr_path = root_.path() / "stty.err"});
    const auto ending = wait_child(pid, tmux_command_timeout);
    if (!ending || ending->signaled || ending->status != 0) return std::nullopt;
    return read_file(out);
}

std::string TerminalSession::stty_after_exit(Where where) {
    wait_for_exit(where);
    std::error_code missing;
    if (!fs::exists(stty_after_path_, missing))
        fail("the launcher left no record of the terminal's settings", where);
    return first_line(read_file(stty_after_path_));
}

pid_t TerminalSession::program_pid(Where where) {
    if (program_pid_ > 0) return program_pid_;
    std::error_code missing;
    wait_until([&] { return fs::exists(pid_path_, missing); }, "the program to be started", where);
    program_pid_ = std::stoi(read_file(pid_path_));
    return program_pid_;
}

void TerminalSession::close_terminal(Where where) {
    tmux({"kill-pane", "-t", std::string(session_name)}, where);
}

void TerminalSession::send_signal(int signal, Where where) {
    const pid_t pid = program_pid(where);
    if (has_exited()) fail("a signal was to be sent, but the program has ended", where);
    if (::kill(pid, signal) != 0) fail(std::string("kill: ") + std::strerror(errno), where);
}

char TerminalSession::process_state(Where where) {
    const auto status = process_status(program_pid(where));
    return status ? status->state : '?';
}

std::string TerminalSession::report() const {
    std::string text = "\n--- program: " + program_.name + "\n--- screen (scrollback included):\n";
    const auto lines = screen_lines();
    text += lines.empty() ? "  (nothing, or the screen could not be read)\n" : quoted_lines(lines);
    const std::string bytes = log();
    constexpr std::size_t tail = 1500;
    text += "--- output log, " + std::to_string(bytes.size()) + " bytes" +
            (bytes.size() > tail ? ", the last " + std::to_string(tail) : std::string()) + ":\n";
    text += visible(bytes.size() > tail ? std::string_view(bytes).substr(bytes.size() - tail) : bytes);
    text += "\n--- terminal settings before the run: " + stty_before_;
    if (has_exited()) {
        std::string ending;
        try {
            ending = read_file(ending_path_);
        } catch (const ScenarioError&) {
        }
        text += "\n--- the program has ended: " + first_line(ending);
    } else {
        text += "\n--- the program is still running";
    }
    return text + "\n";
}

std::optional<std::string> TerminalSession::try_tmux(const std::vector<std::string>& arguments) const {
    // Output goes to files, not pipes: the server that the first command
    // starts must not hold a pipe of ours open.
    const int serial = ++scratch_serial_;
    const fs::path out = root_.path() / ("tmux-" + std::to_string(serial % 2) + ".out");
    const fs::path err = root_.path() / ("tmux-" + std::to_string(serial % 2) + ".err");
    std::vector<std::string> argv = {"tmux", "-S", socket_.string(), "-f",
                                     (root_.path() / "tmux.conf").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_t pid = -1;
    try {
        pid = spawn({.argv = argv, .environment = tmux_environment_, .stdout_path = out, .stderr_path = err});
    } catch (const ScenarioError&) {
        return std::nullopt;
    }
    const auto ending = wait_child(pid, tmux_command_timeout);
    if (!ending) {
        ::kill(pid, SIGKILL);
        wait_child(pid, tmux_command_timeout);
        return std::nullopt;
    }
    if (ending->signaled || ending->status != 0) return std::nullopt;
    return read_file(out);
}

std::string TerminalSession::tmux(const std::vector<std::string>& arguments, Where where) const {
    if (auto output = try_tmux(arguments)) return *output;
    const fs::path err = root_.path() / ("tmux-" + std::to_string(scratch_serial_ % 2) + ".err");
    std::string message;
    try {
        message = read_file(err);
    } catch (const ScenarioError&) {
    }
    std::string command = "tmux";
    for (const auto& argument : arguments) command += " " + argument;
    fail("\"" + command + "\" failed: " + (message.empty() ? "(no message; is tmux installed?)" : message),
         where);
}

std::string TerminalSession::display(std::string_view format, Where where) const {
    return first_line(
        tmux({"display-message", "-p", "-t", std::string(session_name), std::string(format)}, where));
}

std::string TerminalSession::timed_out() const {
    return "timed out after " + std::to_string(program_.timeout.count()) + " ms waiting for ";
}

void TerminalSession::fail(std::string_view what, Where where) const {
    throw ScenarioError(where_text(where) + ": " + std::string(what) + report());
}

}  // namespace harness
