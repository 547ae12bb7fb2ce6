#include "measures.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace bench {

double milliseconds_between(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

double time_command(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const auto start = Clock::now();
    pid_t child = 0;
    if (const int error = ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
        error != 0) {
        throw std::runtime_error("cannot start " + command.front() + ": " + std::strerror(error));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid: " + std::string(std::strerror(errno)));
    }
    const auto end = Clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(command.front() + " failed");
    return milliseconds_between(start, end);
}

// The first field of /proc/PID/schedstat: nanoseconds spent on a processor.
double cpu_milliseconds_of(pid_t process) {
    std::ifstream schedstat("/proc/" + std::to_string(process) + "/schedstat");
    double nanoseconds = 0;
    if (!(schedstat >> nanoseconds))
        throw std::runtime_error("no schedstat for process " + std::to_string(process));
    return nanoseconds / 1e6;
}

std::string machine_description() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    std::string model = "unknown processor";
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    return std::to_string(std::thread::hardware_concurrency()) + " processors, " + model;
}

}  // namespace bench
