// Handing files, addresses and programs to the Windows shell.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/win/wide_text.h"

#ifdef _MSC_VER
#pragma comment(lib, "shell32.lib")
#endif

namespace ql::platform {

namespace {

ShellOpenOverride& Override()
{
    static ShellOpenOverride hook;
    return hook;
}

}  // namespace

void SetShellOpenOverride(ShellOpenOverride hook)
{
    Override() = std::move(hook);
}

int ShellOpen(const std::string& file, const std::string& parameters)
{
    if (Override()) return Override()(file, parameters);
    const std::wstring wideFile = Wide(file);
    const std::wstring wideParameters = Wide(parameters);
    // Owner: the program's active window, so the shell's own messages sit above it.
    const HINSTANCE result = ::ShellExecuteW(::GetActiveWindow(), L"open", wideFile.c_str(),
                                             parameters.empty() ? nullptr : wideParameters.c_str(), nullptr,
                                             SW_SHOW);
    // The result is a number in the shape of a handle: above 32 for success.
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

void OpenHelp(const std::string& programDir)
{
    // The HTML Help viewer resolves the relative path against the current
    // folder. A program folder without the compiled help (the portable ZIP
    // ships the HTML page) opens the page in the user's browser instead.
    if (FileExists(programDir + "hilfe\\help.chm")) ShellOpen("hh.exe", "hilfe/help.chm");
    else ShellOpen(programDir + "hilfe\\index.html");
}

void StartSystemInfoTool()
{
    ShellOpen("MSInfo32.exe");  // a failure is not reported
}

}  // namespace ql::platform
