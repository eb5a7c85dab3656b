// overview-bench: the district overview window on a scanned query, offscreen:
// how long the window takes to open and the map to draw, and a screenshot.
//
//   overview-bench --polygons DIR [--no-cutoff] [--screenshot PNG] [--export PNG] [--during PNG] FILE
//
// --during writes the window as it was while the figures of a followed scan
// (the cut-off switched) were made beside it.
//
// --export writes the map as "Bild speichern..." does. The screen is the
// platform's: QT_QPA_PLATFORM=offscreen:configfile=... and QT_SCALE_FACTOR
// give other sizes.

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "../measure.h"
#include "../setup.h"
#include "base/user_error.h"
#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "scan/scanner.h"
#include "districts/map_drawing.h"
#include "ui/common/SaveFile.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/overview/TfrmOverview.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: overview-bench --polygons DIR [--no-cutoff] [--screenshot PNG] [--export PNG] [--during PNG] "
                 "FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string polygons, file, screenshot, exported, during;
    bool noCutoff = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--polygons" && i + 1 < argc) polygons = argv[++i];
        else if (arg == "--screenshot" && i + 1 < argc) screenshot = argv[++i];
        else if (arg == "--export" && i + 1 < argc) exported = argv[++i];
        else if (arg == "--during" && i + 1 < argc) during = argv[++i];
        else if (arg == "--no-cutoff") noCutoff = true;
        else if (!arg.empty() && arg[0] != '-' && file.empty()) file = arg;
        else return Usage();
    }
    if (file.empty() || polygons.empty()) return Usage();

    try {
        bench::TempFolder temp("overview-bench");
        ql::AppState state;
        state.TempDir = temp.path();
        state.CutoffEnabled = !noCutoff;
        bench::LoadPolygons(state, polygons);
        state.QueryLines = ql::OpenQuery(file);
        bench::Stopwatch scanClock;
        const double scanCpu = bench::ProcessCpuSeconds();
        const int rows = ql::ScanWaypoints(state);
        const double scanSeconds = scanClock.seconds(), scanCpuSeconds = bench::ProcessCpuSeconds() - scanCpu;
        std::fprintf(stderr, "scan            %8.4f s  cpu %7.4f s  rows %d\n", scanSeconds, scanCpuSeconds, rows);
        const auto share = [](double part, double whole) { return whole > 0 ? 100.0 * part / whole : 0.0; };

        // Opening: the window made, its overview built, shown and painted once.
        // A large scan's figures are made beside the window: it answers
        // before they are shown.
        bench::Stopwatch openClock;
        const double openCpu = bench::ProcessCpuSeconds();
        ql::ui::TfrmOverview window(state);
        window.show();
        QApplication::processEvents();
        window.repaint();
        const double answers = openClock.seconds();
        if (window.figuresRunning()) {
            QEventLoop wait;
            QObject::connect(&window, &ql::ui::TfrmOverview::figuresShown, &wait, &QEventLoop::quit);
            wait.exec();
            window.repaint();
        }
        const double openSeconds = openClock.seconds(), openCpuSeconds = bench::ProcessCpuSeconds() - openCpu;
        std::fprintf(stderr, "window answers  %8.4f s\n", answers);
        std::fprintf(
            stderr, "window open     %8.4f s  cpu %7.4f s  (target < 0.200 s)  %5.1f%% of the scan (cpu %5.1f%%)\n",
            openSeconds, openCpuSeconds, share(openSeconds, scanSeconds), share(openCpuSeconds, scanCpuSeconds));

        ql::ui::DistrictMapView* map = window.map();
        double best = -1, bestCpu = -1;
        for (int round = 0; round < 5; ++round) {
            bench::Stopwatch clock;
            const double cpu = bench::ProcessCpuSeconds();
            const QImage image = map->renderImage(map->size());
            const double seconds = clock.seconds(), cpuSeconds = bench::ProcessCpuSeconds() - cpu;
            best = best < 0 ? seconds : std::min(best, seconds);
            bestCpu = bestCpu < 0 ? cpuSeconds : std::min(bestCpu, cpuSeconds);
        }
        std::fprintf(stderr,
                     "map drawn       %8.4f s  cpu %7.4f s  %dx%d, %zu finds  (best of 5, target <= 0.050 s)  "
                     "%5.1f%% of the scan (cpu %5.1f%%)\n",
                     best, bestCpu, map->width(), map->height(), window.overview().finds.size(),
                     share(best, scanSeconds), share(bestCpu, scanCpuSeconds));
        {
            bench::Stopwatch clock;
            const std::size_t marks = map->findMarks(map->size()).size();
            std::fprintf(stderr, "  of which finds gathered %8.4f s  %zu dots\n", clock.seconds(), marks);
            bench::Stopwatch overviewClock;
            const ql::DistrictOverview again = ql::BuildDistrictOverview(state.PolyTable, state.Rows);
            std::fprintf(stderr, "  opening: border distances %8.4f s\n", overviewClock.seconds());
            bench::Stopwatch anchorClock;
            ql::FindLabelAnchors(state.PolyTable, ql::MapProjection::ForPolygons(state.PolyTable.Polygons()));
            std::fprintf(stderr, "  opening: label places %8.4f s\n", anchorClock.seconds());
        }
        {
            // A scan followed while the window is open (the cut-off switched):
            // the figures are made beside it; the longest pause between two
            // ticks of a timer is what the player waits for the window to
            // answer.
            state.CutoffEnabled = !state.CutoffEnabled;
            state.Rows.clear();
            const int followed = ql::ScanWaypoints(state);
            QImage meanwhile;
            QTimer tick;
            tick.setInterval(2);
            bench::Stopwatch sinceTick, followClock;
            double longest = 0;
            QObject::connect(&tick, &QTimer::timeout, [&] {
                longest = std::max(longest, sinceTick.seconds());
                if (!during.empty() && window.figuresRunning()) meanwhile = window.grab().toImage();
                sinceTick = bench::Stopwatch();
            });
            QEventLoop wait;
            QObject::connect(&window, &ql::ui::TfrmOverview::figuresShown, &wait, &QEventLoop::quit);
            tick.start();
            sinceTick = bench::Stopwatch();
            followClock = bench::Stopwatch();
            window.ScanFinished();
            if (window.figuresRunning()) wait.exec();
            window.repaint();
            longest = std::max(longest, sinceTick.seconds());
            std::fprintf(stderr, "scan followed   %8.4f s  the window's longest pause %8.4f s  rows %d\n",
                         followClock.seconds(), longest, followed);
            if (!meanwhile.isNull()) ql::ui::WritePng(QString::fromStdString(during), meanwhile);
        }
        {
            // Closing the window while the figures are made stops them: the
            // longest wait for the stop, closed at several points of the work.
            double longestStop = 0;
            int stopped = 0;
            for (int delayMs : {0, 10, 30, 60, 100}) {
                window.show();
                window.ScanFinished();
                QEventLoop wait;
                QTimer::singleShot(delayMs, &wait, &QEventLoop::quit);
                wait.exec();
                if (!window.figuresRunning()) continue;
                bench::Stopwatch stopClock;
                window.close();
                longestStop = std::max(longestStop, stopClock.seconds());
                ++stopped;
            }
            std::fprintf(stderr, "window closed while figures are made: stopped within %8.4f s (%d of 5 closes)\n",
                         longestStop, stopped);
        }
        // Both as the window saves a picture: whole, or the old file as it was.
        if (!exported.empty()) window.SaveImage(QString::fromStdString(exported));
        if (!screenshot.empty()) ql::ui::WritePng(QString::fromStdString(screenshot), window.grab().toImage());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
