// Child processes for the harness: starting one with its streams redirected,
// waiting for its end, and polling with a deadline.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace harness {

namespace fs = std::filesystem;

// How a child process ended, and what it used.
struct Ending {
    bool signaled = false;
    int status = 0;  // the exit status, when not signaled
    int signal = 0;  // the signal that ended it, when signaled
    // The processor time, user and system, that the process used.
    std::chrono::microseconds cpu_time{0};

    std::string describe() const;
};

// The processor time, user and system, in a process's resource usage.
inline std::chrono::microseconds cpu_time_of(const struct rusage& usage) {
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

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

// Waits for the child to end, without polling; empty if it has not ended by
// the deadline.
std::optional<Ending> wait_child(pid_t pid, std::chrono::milliseconds timeout);

// This process's environment with `changes` applied: "NAME=value" sets a
// variable, "NAME" alone removes it.
std::vector<std::string> environment_with(const std::vector<std::string>& changes);

// Polls `done` every few milliseconds until it holds; false at the deadline.
bool poll_until(std::chrono::milliseconds timeout, const std::function<bool()>& done);

}  // namespace harness
