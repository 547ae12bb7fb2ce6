// The process that a tmux pane of the harness runs. It stands where a job-control
// shell stands for an operator, so that the program under test meets the
// terminal as it would in real use, and the test can see what a shell sees:
//
//   job_launcher GO PIDFILE STTYFILE ENDINGFILE [--stdin FILE] [--env NAME=VALUE]... [--ignore-hangup]
//                [--background] -- PROGRAM [ARG]...
//
// 1. Waits until a line can be read from the fifo GO: the test attaches its
//    output recorder and reads the terminal's settings before anything runs.
// 2. Starts PROGRAM in a process group of its own and makes that group the
//    terminal's foreground group, as a shell does with a job (with
//    --background, as with a job started with "&", it leaves the terminal's
//    foreground to the launcher). Because the
//    launcher stays behind in the same session, the group is not orphaned, so
//    SIGTSTP really stops the program (the kernel discards it for an orphaned
//    group).
// 3. Writes the program's process id to PIDFILE.
// 4. When the program has ended, writes `stty -g` of the terminal to STTYFILE:
//    the settings the program left behind. The terminal still exists at that
//    point only because the launcher holds it; tmux closes it once the pane's
//    own process is gone.
// 5. Writes how the program ended, and the processor time it used, to
//    ENDINGFILE ("exited N MICROSECONDS" or "signaled N MICROSECONDS"), then
//    ends the same way itself (the same exit status, or the same signal), so
//    that tmux's #{pane_dead_status} and #{pane_dead_signal} tell it too.
//    The file is what the tests read: tmux 3.3a misses the SIGCHLD of about
//    one pane in three here, leaves the pane's process a zombie, and never
//    learns its status (the pane shows dead, the status stays empty).
//
// With --ignore-hangup the launcher and the program start with SIGHUP ignored
// (as under nohup), so that both outlive the terminal and the program meets a
// terminal that has gone away.
//
// The launcher writes nothing to the terminal unless it fails.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "processes.hpp"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "job_launcher: %s: %s\n", what, std::strerror(errno));
    std::_Exit(125);
}

void wait_for_go(const char* fifo) {
    const int fd = ::open(fifo, O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open the go fifo");
    char byte = 0;
    while (::read(fd, &byte, 1) == 1 && byte != '\n') {
    }
    ::close(fd);
}

void write_whole_file(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("create a report file");
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        fail("write a report file");
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0) fail("rename a report file");
}

// `stty -g` of the terminal on standard input, into `path`.
void record_terminal_settings(const std::string& path) {
    const std::string temporary = path + ".part";
    const pid_t pid = ::fork();
    if (pid < 0) fail("fork stty");
    if (pid == 0) {
        const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) std::_Exit(126);
        ::execlp("stty", "stty", "-g", static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        write_whole_file(temporary, "stty failed\n");
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) fail("rename the stty report");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fprintf(
            stderr,
            "usage: job_launcher GO PIDFILE STTYFILE ENDINGFILE [--stdin FILE] [--env N=V]... -- PROGRAM "
            "[ARG]...\n");
        return 125;
    }
    const char* go_fifo = argv[1];
    const std::string pid_file = argv[2];
    const std::string stty_file = argv[3];
    const std::string ending_file = argv[4];
    const char* stdin_file = nullptr;
    std::vector<char*> environment_additions;
    bool ignore_hangup = false;
    bool background = false;
    int first = 5;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        if (std::strcmp(argv[first], "--stdin") == 0 && first + 1 < argc) {
            stdin_file = argv[++first];
        } else if (std::strcmp(argv[first], "--env") == 0 && first + 1 < argc) {
            environment_additions.push_back(argv[++first]);
        } else if (std::strcmp(argv[first], "--ignore-hangup") == 0) {
            ignore_hangup = true;
        } else if (std::strcmp(argv[first], "--background") == 0) {
            background = true;
        } else {
            std::fprintf(stderr, "job_launcher: unknown argument %s\n", argv[first]);
            return 125;
        }
    }
    if (first + 1 >= argc) {
        std::fprintf(stderr, "job_launcher: no program given after --\n");
        return 125;
    }
    char** program = argv + first + 1;

    // No core files in the test's data folder, whatever signal ends the program.
    const struct rlimit no_core { 0, 0 };
    ::setrlimit(RLIMIT_CORE, &no_core);

    if (ignore_hangup) std::signal(SIGHUP, SIG_IGN);  // kept across exec
    wait_for_go(go_fifo);

    const pid_t child = ::fork();
    if (child < 0) fail("fork");
    if (child == 0) {
        // A job of its own, in the foreground of the terminal.
        ::setpgid(0, 0);
        std::signal(SIGTTOU, SIG_IGN);
        if (!background) ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
        std::signal(SIGTTOU, SIG_DFL);
        if (stdin_file != nullptr) {
            const int in = ::open(stdin_file, O_RDONLY);
            if (in < 0 || ::dup2(in, STDIN_FILENO) < 0) fail("open the standard input file");
            ::close(in);
        }
        for (char* assignment : environment_additions) ::putenv(assignment);
        ::execvp(program[0], program);
        fail(program[0]);
    }
    ::setpgid(child, child);  // also here, so that it holds whichever runs first
    write_whole_file(pid_file, std::to_string(child) + "\n");

    int status = 0;
    struct rusage usage {};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) fail("wait4");
    }

    // Take the terminal back, as a shell does, then look at what was left.
    std::signal(SIGTTOU, SIG_IGN);
    ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
    record_terminal_settings(stty_file);
    const std::string used = " " + std::to_string(harness::cpu_time_of(usage).count()) + "\n";
    write_whole_file(ending_file, WIFSIGNALED(status)
                                      ? "signaled " + std::to_string(WTERMSIG(status)) + used
                                      : "exited " + std::to_string(WEXITSTATUS(status)) + used);

    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        std::signal(signal, SIG_DFL);
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, signal);
        ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
        ::raise(signal);
        return 128 + signal;  // only for signals whose default action is not to end
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}
