// Clocks, memory figures and child processes on Windows.
#ifdef _WIN32

#include "measure.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The K32 entry points of kernel32: no psapi library to link.
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 2
#endif
#include <psapi.h>

#include <string>
#include <vector>

namespace bench {

namespace {

double ChildSecondsSoFar = 0;  // the waited-for children's processor time

double Seconds(const FILETIME& t)
{
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;  // 100 ns steps
}

double CpuSeconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return Seconds(kernel) + Seconds(user);
}

PROCESS_MEMORY_COUNTERS Counters()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) counters = {};
    return counters;
}

std::wstring Wide(const std::string& text)
{
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// Runs a command line with its output going to `output` (or nowhere) and
// waits for it; the timing of the run, failed when it does not start or exits
// with another code than 0. `drain` reads the output while the child runs.
template <class Drain>
Timing RunChild(const std::string& commandLine, HANDLE output, Drain&& drain)
{
    Timing times;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = output ? output : nul;
    startup.hStdError = nul;
    std::wstring line = Wide(commandLine);
    PROCESS_INFORMATION child{};
    Stopwatch clock;
    const BOOL started =
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child);
    if (output) ::CloseHandle(output);  // the child holds its own copy
    ::CloseHandle(nul);
    if (!started) {
        drain();
        return times;
    }
    drain();
    ::WaitForSingleObject(child.hProcess, INFINITE);
    const double wall = clock.seconds();
    DWORD code = 1;
    ::GetExitCodeProcess(child.hProcess, &code);
    const double cpu = CpuSeconds(child.hProcess);
    ChildSecondsSoFar += cpu;
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    if (code != 0) return times;
    times.wall = wall;
    times.cpu = cpu;
    return times;
}

}  // namespace

std::uint64_t PeakResidentBytes()
{
    return Counters().PeakWorkingSetSize;
}

std::uint64_t ResidentBytes()
{
    return Counters().WorkingSetSize;
}

bool ResetPeakResident()
{
    return false;  // Windows keeps the peak working set for the process's life
}

double ProcessCpuSeconds()
{
    return CpuSeconds(::GetCurrentProcess());
}

double ChildrenCpuSeconds()
{
    return ChildSecondsSoFar;
}

Timing TimeWordCountLines(const std::string& path)
{
    // wc from PATH (Git for Windows, MSYS2); without it the run counts as failed.
    return RunChild("wc -l " + ShellQuote(path), nullptr, [] {});
}

std::string ShellQuote(const std::string& text)
{
    // cmd.exe and the C runtime's argument split: double quotes, inner ones doubled.
    std::string q = "\"";
    for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

double TimeShellCommand(const std::string& command, std::size_t& outputBytes)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    outputBytes = 0;
    static char buffer[1 << 16];
    const Timing t = RunChild("cmd.exe /d /c " + command, writeEnd, [&] {
        DWORD n = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) outputBytes += n;
    });
    ::CloseHandle(readEnd);
    return t.wall;
}

bool RunCapturingOutput(const std::string& commandLine, std::string& output)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    output.clear();
    char buffer[1 << 12];
    const Timing t = RunChild(commandLine, writeEnd, [&] {
        DWORD n = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) output.append(buffer, n);
    });
    ::CloseHandle(readEnd);
    return t.wall >= 0;
}

}  // namespace bench

#endif  // _WIN32
