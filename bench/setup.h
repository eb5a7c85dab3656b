#pragma once
// What a benchmark run sets up around the engine: a temporary folder, the
// district polygons.

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

#include "archive/extract.h"
#include "base/cancel.h"
#include "query/query_text.h"
#include "scan/query_scan.h"
#include "state/app_state.h"

namespace bench {

// A fresh folder under the system's temporary folder ("PREFIX-XXXXXX"),
// removed again with everything in it at the end.
class TempFolder {
public:
    // In `parent` (the system's temporary folder when empty).
    explicit TempFolder(const std::string& prefix, const std::string& parent = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }  // ends with the separator

private:
    std::string path_;
};

// A fresh folder "PREFIX-XXXXXX" inside `parent` (ending with the separator);
// its path, ending with the separator.
std::string MakeFolderIn(const std::string& parent, const std::string& prefix);

// The 36 district polygons from their files in `dir`.
void LoadPolygons(ql::AppState& state, std::string dir);

// Runs `step` on a thread of its own and waits for it; rethrows what it threw.
// The window runs its steps so, never on its own thread: so do the
// benchmarks, and what a thread of its own costs (its memory arena, a cold
// stack) is in their figures too.
void OnAThreadOfItsOwn(const std::function<void()>& step);

// The steps of an open on the path the main window takes, so that every
// benchmark times what the user waits for. The reading, stoppable as beside
// the window:
ql::QueryText OpenAsTheWindow(const std::string& path, const ql::CancelToken& stop);
// The scan as beside the window: into results of its own, which then become
// the state's, the placemark files left for the writer that follows the list
// (WritePlacemarksBeside). Before that the state's PlacemarkFiles name the
// files still to be written, PlacemarkTexts hold their texts.
ql::QueryScan ScanAsTheWindow(ql::AppState& state, const ql::CancelToken& stop);
// The placemark files of the last ScanAsTheWindow, written as beside the
// window after the list shows; waits for them. Returns the seconds taken.
double WritePlacemarksBeside(ql::AppState& state, std::vector<std::string> stale = {});

// The general error box's text: a full stop follows a last character that
// sorts after ".".
std::string BoxText(std::string message);

// Opens and scans the My Finds query as the main window does, cut-off as the
// state has it; its placemark files go to a private folder, as the
// program's do, removed again at the end. A query cut short keeps its rows
// and says so on stderr.
void ScanMyFinds(ql::AppState& state, const std::string& path);

// Runs a command's body; an error it throws goes to stderr as the error box
// would show it, and the command fails.
template <class Body>
int Guarded(Body&& body)
{
    try {
        return body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", BoxText(e.what()).c_str());
    }
    return 1;
}

}  // namespace bench
