// Handing files and addresses to the desktop on POSIX systems.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

extern char** environ;

namespace ql::platform {

namespace {

ShellOpenOverride& Override()
{
    static ShellOpenOverride hook;
    return hook;
}

bool OnPath(std::string_view program)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        auto colon = rest.find(':');
        std::string dir(rest.substr(0, colon));
        if (::access((dir + "/" + std::string(program)).c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return false;
}

// Starts a program in the background through a short-lived shell, so the
// window never waits for the desktop's opener.
bool StartDetached(const std::string& program, const std::string& argument)
{
    if (!OnPath(program)) return false;
    std::vector<std::string> argv = {"/bin/sh", "-c", "\"$0\" \"$1\" >/dev/null 2>&1 &", program, argument};
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, args.data(), environ) != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return true;
}

}  // namespace

void SetShellOpenOverride(ShellOpenOverride hook)
{
    Override() = std::move(hook);
}

int ShellOpen(const std::string& file, const std::string& parameters)
{
    if (Override()) return Override()(file, parameters);
    // The desktop's opener takes one file or address; parameters have no place there.
    // Result codes as the Windows shell gives them: 2 = file not found, 42 = started.
    return StartDetached("xdg-open", file) ? 42 : 2;
}

void OpenHelp(const std::string& programDir)
{
    ShellOpen(programDir + "hilfe/index.html");
}

void StartSystemInfoTool()
{
    // The first desktop system-information tool on the PATH; without one, nothing starts.
    for (const char* tool : {"gnome-system-monitor", "plasma-systemmonitor", "ksysguard", "mate-system-monitor",
                             "xfce4-taskmanager", "hardinfo"}) {
        if (!OnPath(tool)) continue;
        if (Override()) {
            Override()(tool, {});
            return;
        }
        std::vector<std::string> argv = {"/bin/sh", "-c", "\"$0\" >/dev/null 2>&1 &", tool};
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, args.data(), environ) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
        return;
    }
}

}  // namespace ql::platform
