// Small helpers around the host system for the end-to-end tests: temporary
// folders, files, child processes, and polling with a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

// A wait that ran out, or a step that could not be done. Thrown from the
// harness, it ends the scenario; GoogleTest reports its text, which carries
// what was awaited and what the terminal showed.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
class TempDir {
public:
    explicit TempDir(std::string_view prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string read_file(const fs::path& path);
void write_file(const fs::path& path, std::string_view bytes);

// How a child process ended.
struct Ending {
    bool signaled = false;
    int status = 0;  // the exit status, when not signaled
    int signal = 0;  // the signal that ended it, when signaled

    std::string describe() const;
};

// Where a child process runs and where its standard streams go.
struct Launch {
    std::vector<std::string> argv;
    std::vector<std::string> environment;  // the whole environment ("NAME=value")
    fs::path directory = ".";
    fs::path stdin_path = "/dev/null";
    fs::path stdout_path = "/dev/null";
    fs::path stderr_path = "/dev/null";
    bool new_session = false;  // setsid(): no controlling terminal
};

pid_t spawn(const Launch& launch);

// Waits for the child to end; empty if it has not ended by the deadline.
std::optional<Ending> wait_child(pid_t pid, std::chrono::milliseconds timeout);

// This process's environment with `changes` applied: "NAME=value" sets a
// variable, "NAME" alone removes it.
std::vector<std::string> environment_with(const std::vector<std::string>& changes);

// Polls `done` every few milliseconds until it holds; false at the deadline.
bool poll_until(std::chrono::milliseconds timeout, const std::function<bool()>& done);

// The local date and time to the minute, as a sortable tuple.
struct Minute {
    int year, month, day, hour, minute;
    auto operator<=>(const Minute&) const = default;
    std::string describe() const;
};
Minute local_minute_now();

// Every file and folder below `root`, as relative paths ("Account/AscII97/acct.txt"),
// folders with a trailing "/", sorted.
std::vector<std::string> tree_listing(const fs::path& root);

}  // namespace e2e
