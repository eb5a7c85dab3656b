// Clocks, memory figures and child processes on POSIX systems (measure_win.cpp
// has the Windows side).
#ifndef _WIN32

#include "measure.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bench {

namespace {

// A "Name:   1234 kB" field of /proc/self/status.
std::uint64_t StatusField(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t len = std::strlen(name);
    while (std::getline(status, line)) {
        if (line.compare(0, len, name) == 0 && line.size() > len && line[len] == ':')
            return std::strtoull(line.c_str() + len + 1, nullptr, 10) * 1024;
    }
    return 0;
}

double Seconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return Seconds(usage);
}

}  // namespace

std::uint64_t PeakResidentBytes()
{
    if (const std::uint64_t hwm = StatusField("VmHWM")) return hwm;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

std::uint64_t ResidentBytes()
{
    return StatusField("VmRSS");
}

bool ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return static_cast<bool>(clear);
}

double ProcessCpuSeconds()
{
    return CpuSeconds(RUSAGE_SELF);
}

double ChildrenCpuSeconds()
{
    return CpuSeconds(RUSAGE_CHILDREN);
}

Timing TimeWordCountLines(const std::string& path)
{
    // Started directly, without a shell, with its output thrown away.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* const args[] = {const_cast<char*>("wc"), const_cast<char*>("-l"), const_cast<char*>(path.c_str()), nullptr};
    Stopwatch clock;
    pid_t child = 0;
    const int rc = posix_spawnp(&child, "wc", &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    Timing times;
    if (rc != 0) return times;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return times;
    const double wall = clock.seconds();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return times;
    times.wall = wall;
    times.cpu = Seconds(usage);
    return times;
}

std::string ShellQuote(const std::string& text)
{
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

double TimeShellCommand(const std::string& command, std::size_t& outputBytes)
{
    Stopwatch clock;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    static char buffer[1 << 16];
    outputBytes = 0;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) outputBytes += n;
    const int status = ::pclose(pipe);
    return status == 0 ? clock.seconds() : -1;
}

bool RunCapturingOutput(const std::string& commandLine, std::string& output)
{
    // The words are quoted for the shell, which only starts the program.
    FILE* pipe = ::popen(("exec " + commandLine).c_str(), "r");
    if (!pipe) return false;
    char buffer[1 << 12];
    output.clear();
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    return ::pclose(pipe) == 0;
}

}  // namespace bench

#endif  // _WIN32
