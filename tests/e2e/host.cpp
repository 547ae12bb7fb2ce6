#include "host.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

TempDir::TempDir(std::string_view prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base != nullptr && *base != '\0') ? base : "/tmp";
    pattern += "/";
    pattern += prefix;
    pattern += "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw ScenarioError("cannot make a temporary folder from " + pattern + ": " + std::strerror(errno));
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // A test may have taken permissions away; give them back so that all goes.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ScenarioError("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_file(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw ScenarioError("cannot write " + path.string());
}

std::string Ending::describe() const {
    if (signaled) return "ended by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    return "exited with status " + std::to_string(status);
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
    int status = 0;
    bool ended = false;
    poll_until(timeout, [&] {
        const pid_t result = ::waitpid(pid, &status, WNOHANG);
        ended = result == pid || (result < 0 && errno != EINTR);
        return ended;
    });
    if (!ended) return std::nullopt;
    Ending ending;
    ending.signaled = WIFSIGNALED(status);
    ending.signal = ending.signaled ? WTERMSIG(status) : 0;
    ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

std::string Minute::describe() const {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

Minute local_minute_now() {
    const std::time_t now = std::time(nullptr);
    struct tm parts {};
    ::localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}

std::vector<std::string> tree_listing(const fs::path& root) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string relative = fs::relative(entry.path(), root).generic_string();
        if (entry.is_directory()) relative += '/';
        entries.push_back(relative);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace e2e
