#include "terminal_session.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace faults {

// What the session leader tells the session, one record per write.
struct JobReport {
    enum Kind : int { started, stopped, continued, ended } kind;
    int value = 0;           // started: the program's process id; otherwise its wait status
    struct rusage usage {};  // ended: what the program used
};

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// One write below PIPE_BUF: the record arrives whole.
void send_report(int fd, const JobReport& report) {
    if (::write(fd, &report, sizeof report) != static_cast<ssize_t>(sizeof report)) ::_exit(124);
}

std::vector<char*> pointers_to(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int milliseconds_until(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Runs in the program's own process: its own process group in the
// foreground of the terminal, default signal handling, the standard streams
// in place, then the program.
[[noreturn]] void become_program(const Launch& launch, int terminal, char* const* argv, char* const* envp) {
    ::setpgid(0, 0);
    ::signal(SIGTTOU, SIG_IGN);  // a background group may take the foreground only so
    ::tcsetpgrp(terminal, ::getpid());
    ::signal(SIGTTOU, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    const int input = launch.input_file.empty() ? terminal : ::open(launch.input_file.c_str(), O_RDONLY);
    if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(terminal, STDOUT_FILENO) < 0 ||
        ::dup2(terminal, STDERR_FILENO) < 0 || ::chdir(launch.folder.c_str()) != 0) {
        ::_exit(126);
    }
    if (input > STDERR_FILENO && input != terminal) ::close(input);
    if (terminal > STDERR_FILENO) ::close(terminal);
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

// Runs in the session leader: takes the terminal as its controlling
// terminal, starts the program and reports its stops, resumes and end.
[[noreturn]] void lead_session(const Launch& launch, const std::string& terminal_path, int reports,
                               char* const* argv, char* const* envp) {
    ::setsid();
    // The first terminal that a session leader opens becomes its controlling terminal.
    const int terminal = ::open(terminal_path.c_str(), O_RDWR);
    if (terminal < 0) ::_exit(125);
    ::signal(SIGHUP, SIG_IGN);  // outlives a hang-up, to report how the program took it

    const pid_t program = ::fork();
    if (program < 0) ::_exit(125);
    if (program == 0) become_program(launch, terminal, argv, envp);
    ::setpgid(program, program);
    send_report(reports, {JobReport::started, program, {}});

    for (;;) {
        int status = 0;
        struct rusage usage {};
        if (::wait4(program, &status, WUNTRACED | WCONTINUED, &usage) < 0) {
            if (errno == EINTR) continue;
            ::_exit(124);
        }
        if (WIFSTOPPED(status)) {
            send_report(reports, {JobReport::stopped, status, {}});
        } else if (WIFCONTINUED(status)) {
            send_report(reports, {JobReport::continued, status, {}});
        } else {
            send_report(reports, {JobReport::ended, status, usage});
            ::_exit(0);
        }
    }
}

}  // namespace

bool ProgramEnd::exited_with(int status) const {
    return WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == status;
}

bool ProgramEnd::killed_by(int signal) const {
    return WIFSIGNALED(wait_status) && WTERMSIG(wait_status) == signal;
}

std::string ProgramEnd::describe() const {
    if (WIFEXITED(wait_status)) return "exit status " + std::to_string(WEXITSTATUS(wait_status));
    if (WIFSIGNALED(wait_status)) return std::string("killed by ") + ::strsignal(WTERMSIG(wait_status));
    return "wait status " + std::to_string(wait_status);
}

TerminalSession::TerminalSession() {
    terminal_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal_ < 0 || ::grantpt(terminal_) != 0 || ::unlockpt(terminal_) != 0) fail("posix_openpt");
    terminal_path_ = ::ptsname(terminal_);
}

void TerminalSession::start(const Launch& launch) {
    int pipe_ends[2];
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) fail("pipe2");
    reports_ = pipe_ends[0];

    // Prepared before the fork: the children only call async-signal-safe functions.
    std::vector<std::string> arguments = launch.command;
    std::vector<std::string> environment = launch.extra_environment;  // first, so that they win
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    const std::vector<char*> argv = pointers_to(arguments);
    const std::vector<char*> envp = pointers_to(environment);

    leader_ = ::fork();
    if (leader_ < 0) fail("fork");
    if (leader_ == 0) {
        ::close(terminal_);
        ::close(reports_);
        lead_session(launch, terminal_path_, pipe_ends[1], argv.data(), envp.data());
    }
    ::close(pipe_ends[1]);

    JobReport report{};
    if (!receive(report) || report.kind != JobReport::started) {
        throw std::runtime_error("the session leader did not start the program");
    }
    program_ = report.value;
}

TerminalSession::~TerminalSession() {
    if (program_ > 0 && !ended_) ::kill(program_, SIGKILL);
    if (leader_ > 0) ::waitpid(leader_, nullptr, 0);
    if (terminal_ >= 0) ::close(terminal_);
    if (reports_ >= 0) ::close(reports_);
}

bool TerminalSession::read_screen(Clock::time_point deadline) {
    if (terminal_ < 0) return false;
    struct pollfd watch {
        terminal_, POLLIN, 0
    };
    if (::poll(&watch, 1, milliseconds_until(deadline)) <= 0) return false;
    char buffer[4096];
    const ssize_t count = ::read(terminal_, buffer, sizeof buffer);
    if (count <= 0) return false;  // EIO: nobody holds the other side any more
    screen_.append(buffer, static_cast<std::size_t>(count));
    return true;
}

bool TerminalSession::wait_for_text(std::string_view text) {
    const auto deadline = Clock::now() + patience;
    for (;;) {
        const std::size_t found = screen_.find(text, seen_);
        if (found != std::string::npos) {
            seen_ = found + text.size();
            return true;
        }
        if (!read_screen(deadline)) return false;
    }
}

bool TerminalSession::wait_for_key_wait() {
    const auto deadline = Clock::now() + patience;
    while (terminal_ >= 0 && Clock::now() < deadline) {
        struct termios settings {};
        if (::tcgetattr(terminal_, &settings) != 0)
            return false;  // a pty's master shows the terminal's settings
        if ((settings.c_lflag & (ICANON | ECHO)) == 0) return true;
        read_screen(Clock::now() + std::chrono::milliseconds(1));  // the pause between looks
    }
    return false;
}

bool TerminalSession::wait_for_prompt(std::string_view prompt) {
    return wait_for_text(prompt) && wait_for_key_wait();
}

void TerminalSession::press(std::string_view keys) const {
    if (::write(terminal_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
        fail("write to the terminal");
}

std::string TerminalSession::settings() const {
    return run_stty("-g");
}

void TerminalSession::set_settings(const std::string& settings) const {
    run_stty(settings);
}

std::string TerminalSession::run_stty(const std::string& arguments) const {
    const std::string command = "stty -F " + terminal_path_ + " " + arguments + " 2>&1";
    FILE* stty = ::popen(command.c_str(), "r");
    if (stty == nullptr) fail("popen stty");
    std::string text;
    char buffer[512];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, stty)) text.append(buffer, count);
    ::pclose(stty);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

void TerminalSession::hang_up() {
    ::close(terminal_);
    terminal_ = -1;
}

// Reads the screen while it waits, so that the program never blocks on a
// full terminal.
bool TerminalSession::receive(JobReport& report) {
    const auto deadline = Clock::now() + patience;
    bool screen_open = terminal_ >= 0;
    for (;;) {
        struct pollfd watch[2] = {{reports_, POLLIN, 0}, {terminal_, POLLIN, 0}};
        const int ready = ::poll(watch, screen_open ? 2 : 1, milliseconds_until(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        if (watch[0].revents != 0) {
            return ::read(reports_, &report, sizeof report) == static_cast<ssize_t>(sizeof report);
        }
        screen_open = read_screen(Clock::now());
    }
}

bool TerminalSession::wait_for_change(JobChange& change) {
    JobReport report{};
    if (!receive(report)) return false;
    switch (report.kind) {
        case JobReport::stopped: change = JobChange::stopped; return true;
        case JobReport::continued: change = JobChange::continued; return true;
        case JobReport::ended:
            change = JobChange::ended;
            ended_ = true;
            end_ = {report.value, report.usage};
            return true;
        case JobReport::started: break;
    }
    return false;
}

bool TerminalSession::wait_for_end() {
    JobChange change{};
    while (!ended_) {
        if (!wait_for_change(change)) return false;
    }
    return true;
}

}  // namespace faults
