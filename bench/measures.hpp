// What the benchmarks measure with, and the machine they ran on.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double milliseconds_between(Clock::time_point start, Clock::time_point end);

double median(std::vector<double> samples);

// Runs a command to its end; gives how long that took in milliseconds.
double time_command(const std::vector<std::string>& command);

// The processor time that a running process has used so far, in milliseconds.
double cpu_milliseconds_of(pid_t process);

// The number of processors and the processor's model.
std::string machine_description();

}  // namespace bench
