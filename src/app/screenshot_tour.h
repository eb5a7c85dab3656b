#pragma once
// A guided run of the real program, for checking a build on a virtual display
// (scripts/test-windows.sh): opens a query, photographs the main window, the
// tally, final-coordinates, information, overview and web windows and the
// open dialog from the screen into a folder, writes what it saw into tour.txt
// there, and closes the main window. Started by
// "quenlorn --screenshots FOLDER QUERY".

#include <QString>

namespace ql {
struct AppState;
}

namespace ql::ui {

struct Windows;

void StartScreenshotTour(Windows& windows, AppState& state, const QString& folder, const QString& query);

}  // namespace ql::ui
