#pragma once
// Clocks and memory figures for the benchmark.

#include <chrono>
#include <cstdint>
#include <string>

namespace bench {

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// The process's peak resident set so far, in bytes (0 when unknown).
std::uint64_t PeakResidentBytes();

// The process's resident set now, in bytes (0 when unknown).
std::uint64_t ResidentBytes();

// Lowers the recorded peak to the present resident set where the system
// allows it; false when it does not (the peak then includes earlier stages).
bool ResetPeakResident();

// Processor time (user + system) the process has used so far, in seconds.
double ProcessCpuSeconds();

struct ChildTimes {
    double wall = -1;  // negative when the command could not run
    double cpu = -1;   // user + system time of the child
};

// Wall and processor time of `wc -l FILE` as a child process.
ChildTimes TimeWordCountLines(const std::string& path);

}  // namespace bench
