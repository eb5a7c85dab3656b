#pragma once
// Clocks and memory figures for the benchmark.

#include <chrono>
#include <cstddef>
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

// Processor time (user + system) of the waited-for child processes so far, in seconds.
double ChildrenCpuSeconds();

inline double MiB(std::uint64_t bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

struct Timing {
    double wall = -1;  // negative when the run failed
    double cpu = -1;   // user + system time
};

// Wall time of `body` (seconds it returns; negative for a failed run) and the
// processor time `cpuClock` counts meanwhile.
template <class Body>
Timing Timed(double (*cpuClock)(), Body&& body)
{
    const double cpu0 = cpuClock();
    const double wall = body();
    if (wall < 0) return {};
    return {wall, cpuClock() - cpu0};
}

// Best of `rounds` runs, wall clock and processor time each; failed runs do not count.
template <class Body>
Timing BestOf(int rounds, Body&& body)
{
    Timing best;
    for (int i = 0; i < rounds; ++i) {
        const Timing t = body();
        if (t.wall < 0) continue;
        if (best.wall < 0 || t.wall < best.wall) best.wall = t.wall;
        if (t.cpu >= 0 && (best.cpu < 0 || t.cpu < best.cpu)) best.cpu = t.cpu;
    }
    return best;
}

// Wall and processor time of `wc -l FILE` as a child process.
Timing TimeWordCountLines(const std::string& path);

// A text as one word for the shell.
std::string ShellQuote(const std::string& text);

// Runs a shell command and counts the bytes of its output; the wall time, or
// negative when the command fails.
double TimeShellCommand(const std::string& command, std::size_t& outputBytes);

// Runs a program (a command line of quoted words, no shell) and keeps what it
// writes to its standard output; false when it does not start or exits with
// another code than 0.
bool RunCapturingOutput(const std::string& commandLine, std::string& output);

}  // namespace bench
