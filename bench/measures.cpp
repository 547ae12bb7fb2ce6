#include "measures.hpp"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "processes.hpp"

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
    const harness::Launch launch{.argv = command, .environment = harness::environment_with({})};
    const auto start = Clock::now();
    const pid_t child = harness::spawn(launch);
    const auto ending = harness::wait_child(child, std::chrono::minutes(1));
    const auto end = Clock::now();
    if (!ending || ending->signaled || ending->status != 0)
        throw std::runtime_error(command.front() + " failed");
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
