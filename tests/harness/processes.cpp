#include "processes.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "scenario_error.hpp"

namespace harness {

std::string Ending::describe() const {
    const std::string used = " after " + std::to_string(cpu_time.count()) + " us of processor time";
    if (signaled) return "ended by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")" + used;
    return "exited with status " + std::to_string(status) + used;
}

pid_t spawn(const Launch& launch) {
    std::vector<char*> argv;
    for (const auto& arg : launch.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : launch.environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    const std::string directory = launch.directory.string();
    const std::string in = launch.stdin_path.string();
    const std::string out = launch.stdout_path.string();
    const std::string err = launch.stderr_path.string();

    const pid_t pid = ::fork();
    if (pid < 0) throw ScenarioError(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        if (launch.new_session) ::setsid();
        const auto redirect = [](const std::string& path, int flags, int target) {
            const int fd = ::open(path.c_str(), flags, 0644);
            if (fd < 0 || ::dup2(fd, target) < 0) std::_Exit(126);
            if (fd != target) ::close(fd);
        };
        redirect(in, O_RDONLY, STDIN_FILENO);
        redirect(out, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        redirect(err, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        if (::chdir(directory.c_str()) != 0) std::_Exit(126);
        // Nothing else of the test process leaks into the child (a tmux
        // server would hold it open for its whole life).
        ::close_range(3, ~0U, 0);
        // Signals as a freshly started program expects them.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int signal = 1; signal < NSIG; ++signal) std::signal(signal, SIG_DFL);
        ::execvpe(argv[0], argv.data(), envp.data());
        std::_Exit(127);
    }
    return pid;
}

std::optional<Ending> wait_child(pid_t pid, std::chrono::milliseconds timeout) {
    // The process's file descriptor becomes readable when it ends.
    const int process = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (process < 0) throw ScenarioError("pidfd_open: " + std::string(std::strerror(errno)));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    struct pollfd watch {
        process, POLLIN, 0
    };
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int ready = ::poll(&watch, 1, static_cast<int>(std::max<long>(left.count(), 0)));
        if (ready >= 0 || errno != EINTR) break;
    }
    ::close(process);
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, WNOHANG, &usage) != pid) return std::nullopt;
    Ending ending;
    ending.signaled = WIFSIGNALED(status);
    ending.signal = ending.signaled ? WTERMSIG(status) : 0;
    ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ending.cpu_time = cpu_time_of(usage);
    return ending;
}

std::vector<std::string> environment_with(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) result.emplace_back(*entry);
    for (const auto& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(result, [&](const std::string& entry) {
            return entry.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (change.find('=') != std::string::npos) result.push_back(change);
    }
    return result;
}

bool poll_until(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace harness
