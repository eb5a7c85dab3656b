#pragma once
// The program from start to end: shared state, the six windows, the message
// loop, clean-up. main() is this; a test runs it the same way with a script.

#include <functional>

namespace ql {
struct AppState;
}

namespace ql::ui {

struct Windows;

// Before the application object exists: started as root, the embedded browser
// would refuse to run with its sandbox on and end the program; it is switched
// off and stderr says so. Returns true when it switched the sandbox off.
bool PrepareBrowserSandbox();

// Runs the program; started (if given) is called once the main window shows.
// Returns the exit code.
int RunProgram(int& argc, char** argv, const std::function<void(Windows&, AppState&)>& started = {});

}  // namespace ql::ui
