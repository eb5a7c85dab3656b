#pragma once
// The picture "Bild speichern..." writes for the challenge log, drawn from
// the data, never grabbed from the window: a caption band (districts covered,
// query date, cut-off), the map fitted into its area with the legend and the
// scale bar beside it, the progress chart below and the full source line at
// the bottom, each in an area of its own. Width and fonts are fixed, so the
// picture is the same whatever the window's size and the screen's scale.
// `query-bench overview --png` writes it through the same functions.

#include <QByteArray>
#include <QImage>
#include <QStringList>

#include <string>
#include <vector>

#include "districts/picture_layout.h"
#include "geo/point.h"
#include "planner/progress.h"

namespace ql {
struct AppState;
struct DistrictOverview;
}  // namespace ql

namespace ql::ui {

class DistrictMapView;

constexpr int OverviewPictureWidth = 1800;

// What the picture shows beside the map.
struct OverviewPictureContent {
    QStringList caption;
    double thresholdMetres = 0.0;
    std::size_t finds = 0;
    std::size_t outside = 0;  // finds in no district
    std::vector<TFPoint> candidates;  // the candidates shown on the map
    std::vector<ProgressStep> steps;  // the chart; none: no chart
};

// The caption's lines: districts covered, query date ("" for none), cut-off state.
QStringList OverviewCaption(int covered, const std::string& queryDate, bool cutoffEnabled);

// The content for the state's last scan and its overview.
OverviewPictureContent PictureContentOf(const AppState& state, const DistrictOverview& overview, double thresholdMetres,
                                        std::vector<TFPoint> candidates);
// The same from the parts of a scan the window keeps beside its overview.
OverviewPictureContent PictureContentOf(const DistrictOverview& overview, double thresholdMetres,
                                        std::vector<TFPoint> candidates, const std::string& queryDate,
                                        bool cutoffEnabled, std::vector<ProgressStep> steps);

// Where the parts go, with the texts measured in the picture's fonts.
PictureLayout OverviewPictureLayout(const DistrictMapView& map, const OverviewPictureContent& content);

// The picture; map holds the districts, the scan and the threshold to draw.
QImage DrawOverviewPicture(const DistrictMapView& map, const OverviewPictureContent& content);

// The picture as the PNG bytes that are written to the file.
QByteArray OverviewPicturePng(const DistrictMapView& map, const OverviewPictureContent& content);

}  // namespace ql::ui
