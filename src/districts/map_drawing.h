#pragma once
// What the overview map draws, decided without pixels: finds gathered per
// screen cell so that dense areas keep their coverage colour, the legend's
// entries, where a district's count label goes and whether it fits, and the
// scale bar's length.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/query_limits.h"  // GroupedNumber
#include "districts/district_map.h"
#include "core/tables.h"
#include "geo/projection.h"

namespace ql {

// The data source line the boundary licence asks for, as the information window shows it.
constexpr std::string_view BoundarySourceLine =
    "Kreisgrenzen: © GeoBasis-DE / BKG 2017 (Daten verändert). Verwaltungsgebiete 1:250 000 (VG250), "
    "Stand 01.01.2016. Datenlizenz Deutschland – Namensnennung – Version 2.0 (https://www.govdata.de/dl-de/by-2-0).";

// ---- Finds -------------------------------------------------------------------

// A find's position on the screen, in pixels.
struct ScreenFind {
    double x = 0.0;
    double y = 0.0;
    bool counted = true;  // false: in no district
};

// One dot to draw: a single find where it lies, or the finds of one cell at
// their mean position, the dot growing with their number.
struct FindMark {
    double x = 0.0;
    double y = 0.0;
    int count = 0;
    bool counted = true;
    double radius = 0.0;  // pixels
};

constexpr double FindCellPixels = 12.0;
constexpr double SingleFindRadius = 2.0;
// At most this share of a cell is covered by its dot: the coverage colour
// stays the larger part of every dense area.
constexpr double MaxMarkRadius = 2.5;

// The dot's radius for a cell of count finds: 2 px for one, growing with the
// logarithm of the count, never above MaxMarkRadius.
double MarkRadius(int count);

// Gathers the finds that lie within width x height into cells of cell pixels;
// counted finds and finds in no district apart. With the map zoomed in far
// enough that no cell holds two finds, every find is its own dot. Marks come
// in cell order (rows from the top), those in no district last, so they draw
// on top.
std::vector<FindMark> GatherFinds(const std::vector<ScreenFind>& finds, double width, double height,
                                  double cell = FindCellPixels);

// ---- Legend ------------------------------------------------------------------

enum class LegendSwatch { Covered, NearBorder, Uncovered, Find, FindOutside, Candidate };

struct LegendEntry {
    LegendSwatch swatch;
    std::string text;
};

// The legend: the three coverage colours (near the border with the
// threshold), then the finds and the finds in no district with their numbers,
// and the candidates of the loaded lists when there are any.
std::vector<LegendEntry> MapLegendEntries(double thresholdMetres, std::size_t finds, std::size_t outside,
                                          std::size_t candidates = 0);

// ---- Count labels --------------------------------------------------------------

// Where a district's count label goes: a point inside the district as far
// from its border as a coarse search finds, and that distance, both in map
// units. clearance 0 when the district has no area.
struct LabelAnchor {
    MapPoint at;
    double clearance = 0.0;
};

std::array<LabelAnchor, DistrictCount> FindLabelAnchors(const DistrictMap& districts, const MapProjection& projection);

// A label of textWidth x textHeight pixels fits around an anchor that lies
// clearancePixels from the border when half its diagonal (and a margin of
// 2 px) stays inside.
bool LabelFits(double clearancePixels, double textWidth, double textHeight);

// ---- Outlines ------------------------------------------------------------------

// The painter's smooth strokes cost far more per vertex than setting pixels,
// and a wide stroke many times more: lines through more vertices than these
// are set pixel by pixel, which costs what the pixels they touch cost.
constexpr std::size_t SmoothThinOutlinePoints = 200'000;
constexpr std::size_t SmoothWideOutlinePoints = 10'000;

// Whether lines `width` pixels wide through this many vertices are drawn smoothly.
bool OutlineDrawnSmoothly(std::size_t points, int width);

// ---- Scale bar -----------------------------------------------------------------

struct ScaleBar {
    double metres = 0.0;
    double pixels = 0.0;
    std::string text;  // "500 m", "20 km"
};

// The longest bar of 1, 2 or 5 times a power of ten metres that is at most
// maxPixels long; metresPerPixel from the map's scale.
ScaleBar ChooseScaleBar(double metresPerPixel, double maxPixels);

// Metres per map unit (a degree of latitude).
constexpr double MetresPerMapUnit = 111'320.0;

}  // namespace ql
