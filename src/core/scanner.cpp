// The My Finds waypoint scanner. It walks the query's lines with substring
// searches at fixed line offsets; nothing is parsed as XML. Lines are views
// into the query's one buffer, so walking them allocates nothing; only an
// accepted cache makes strings (its row).

#include "core/scanner.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/query_limits.h"
#include "base/user_error.h"
#include "core/app_state.h"
#include "core/records.h"
#include "core/tables.h"
#include "core/text_cut.h"
#include "geo/coord_text.h"
#include "geo/number.h"
#include "geo/point.h"
#include "core/placemark_writer.h"
#include "core/district_map.h"
#include "core/line_kinds.h"

namespace ql {

namespace {

constexpr std::size_t FirstWaypointLine = 9;

constexpr std::string_view DateOpen = DateOpenTag;
constexpr std::string_view DateClose = "</groundspeak:date>";

bool Contains(std::string_view line, std::string_view what)
{
    return line.find(what) != std::string_view::npos;
}

// The lines of the query with what each holds, as the split found it. Every
// read goes through the query's index-checked access, so a read past the
// last line throws its index error exactly where the walk would have read
// that line.
class ScanLines {
public:
    explicit ScanLines(const QueryText& lines) : lines_(lines) {}

    std::size_t Size() const { return lines_.Size(); }

    // Country lines from `from` on whose next line is the state line; read
    // from the line kinds alone.
    std::size_t CountPairs(std::size_t from) const
    {
        std::size_t n = 0;
        for (std::size_t i = from; i + 1 < lines_.Size(); ++i)
            n += (lines_.Kinds(i) & HasCountry) >> 2 & (lines_.Kinds(i + 1) & HasState) >> 4;
        return n;
    }
    // The first line from `from` on of the given kind, or Size().
    std::size_t Next(std::size_t from, LineKind kind) const
    {
        std::size_t i = from;
        while (i < lines_.Size() && (lines_.Kinds(i) & kind) == 0) ++i;
        return i;
    }
    std::string_view At(std::size_t i) const { return lines_.At(i); }
    bool Has(std::size_t i, LineKind kind) const
    {
        if (i >= lines_.Size()) (void)lines_.At(i);  // throws the index error of the read
        return (lines_.Kinds(i) & kind) != 0;
    }

private:
    const QueryText& lines_;
};

// The log of the find: from the country line down to the closing line, the
// first date line whose next line names a find; close + 1 when there is none.
// Logs of the following waypoints are never taken.
std::size_t FindDateLine(const ScanLines& lines, std::size_t country, std::size_t close)
{
    for (std::size_t d = country; d <= close; ++d) {
        if (!lines.Has(d, HasDate)) continue;
        const std::string_view logType = lines.At(d + 1);
        if (Contains(logType, "Found it") || Contains(logType, "Attended") || Contains(logType, "Webcam Photo Taken"))
            return d;
    }
    return close + 1;
}

// The last find-log search of a waypoint. Its country lines come in order, and
// every one between the last search's start and the log it found (or the
// closing line) finds the same log, so a waypoint with many country lines
// still reads each of its lines once.
class FindLogSearch {
public:
    // The date line of the find, or the empty text when the waypoint has none.
    std::string_view operator()(const ScanLines& lines, std::size_t country, std::size_t close)
    {
        if (close != close_ || country < from_ || country > found_) {
            found_ = FindDateLine(lines, country, close);
            from_ = country;
            close_ = close;
        }
        return found_ <= close ? lines.At(found_) : std::string_view();
    }

private:
    std::size_t from_ = 1, found_ = 0, close_ = 0;
};
// The most bytes a row takes from one value of the query. Real values are
// far shorter (a cache name has at most 50 characters, a few hundred bytes
// with its escapes); a longer one is cut between two characters, so that a
// waypoint repeated by many country lines cannot copy a huge name each time.
constexpr std::size_t MaxValueBytes = 1024;

// What the rows of this scan hold, against what the query's size allows.
class RowBudget {
public:
    explicit RowBudget(std::uint64_t queryBytes) : limit_(MaxRowBytes(queryBytes)) {}
    std::size_t maxRows() const { return static_cast<std::size_t>(limit_ / sizeof(CacheRow)); }
    // Counts a row; throws when the rows would hold more than the query allows.
    void Take(std::uint64_t cost, int rowsSoFar)
    {
        used_ += cost;
        if (used_ > limit_) [[unlikely]]
            throw UserError("Die Datei ist vermutlich beschädigt: Sie ergibt mehr Ergebniszeilen, als ihre Größe "
                            "zulässt. Es wurden " + std::to_string(rowsSoFar) + " Funde gelesen.");
    }

private:
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
};

// A difficulty or terrain value of one character gets ".0": "2" reads "2.0".
bool NeedsDecimal(std::string_view value) { return CodePointCount(value) < 2; }
std::size_t DifficultyTextBytes(std::string_view value) { return value.size() + (NeedsDecimal(value) ? 2 : 0); }
void SetDifficultyText(std::string& text, std::string_view value)
{
    text = value;
    if (NeedsDecimal(value)) text += ".0";
}

void HandleCache(AppState& state, const ScanLines& lines, std::size_t wpt, std::size_t country, std::size_t close,
                 FindLogSearch& findLog, RowBudget& budget, PlacemarkWriter& placemarks, int& rowCount)
{
    // The coordinates are converted first, the latitude before the longitude:
    // a bad one throws before anything else of the waypoint is read, also for
    // a find the cut-off date leaves out.
    const std::string_view wptLine = lines.At(wpt);
    const std::string_view latitude = CutValue(wptLine, "lat=\"", "\"", SearchFrom::AfterOpen);
    TFPoint point;
    point.X = ParseDecimal(latitude);
    const std::string_view longitude = CutValue(wptLine, "lon=\"", "\"", SearchFrom::AfterOpen);
    point.Y = ParseDecimal(longitude);

    const std::string_view code =
        CapBytes(CutValue(lines.At(wpt + 2), "<name>", "</name>", SearchFrom::LastOfOpen), MaxValueBytes);
    const std::string_view name =
        CapBytes(CutValue(lines.At(wpt + 5), "<urlname>", "</urlname>", SearchFrom::LineStart), MaxValueBytes);
    const std::string_view type = CapBytes(
        CutValue(lines.At(wpt + 12), "<groundspeak:type>", "</groundspeak:type>", SearchFrom::LineStart),
        MaxValueBytes);
    // A type outside the twelve names shows no icon rather than an earlier row's.
    const int typeIndex = TypeIconIndex(type).value_or(NoTypeIcon);

    const std::string_view difficulty = CapBytes(
        CutValue(lines.At(country - 2), "<groundspeak:difficulty>", "</groundspeak:difficulty>", SearchFrom::LineStart),
        MaxValueBytes);
    const std::string_view terrain = CapBytes(
        CutValue(lines.At(country - 1), "<groundspeak:terrain>", "</groundspeak:terrain>", SearchFrom::LineStart),
        MaxValueBytes);

    std::string_view findDate = CutValue(findLog(lines, country, close), DateOpen, DateClose, SearchFrom::LastOfOpen);
    findDate = CapBytes(DropLastCodePoints(findDate, 10), MaxValueBytes);

    if (state.CutoffEnabled && findDate < CutoffDate) return;

    const std::optional<int> district = state.PolyTable.Find(point);
    // The row with its texts, and for a find outside every district its
    // record and file name (the coordinate texts fit in the strings themselves).
    budget.Take(sizeof(CacheRow) + code.size() + name.size() + DifficultyTextBytes(difficulty) +
                    DifficultyTextBytes(terrain) + findDate.size() +
                    (district ? 0 : sizeof(TNIPDatum) + 256 + sizeof(std::string) + code.size()),
                rowCount);
    if (district)
        ++state.DistrictTally[static_cast<std::size_t>(*district)];
    else
        ++state.NotInPolygonCount;

    CacheRow& row = state.Rows.emplace_back();
    row.GCCode = code;
    row.TypeIndex = typeIndex;
    row.Name = name;
    SetDifficultyText(row.Difficulty, difficulty);
    SetDifficultyText(row.Terrain, terrain);
    row.FindDate = findDate;
    row.Point = point;
    row.DistrictIndex = district.value_or(-1);

    std::string latText = CoordText(point.X, CoordLatitude);
    std::string lonText = CoordText(point.Y, CoordLongitude);
    if (!district) {
        row.NotInPolygon = true;
        std::string coords = latText + " " + lonText;
        std::string decimals = std::string(latitude) + "," + std::string(longitude);
        state.NIPList.push_back(TNIPDatum::FromUtf8(code, name, type, coords, decimals));
        placemarks.Write(code, name, latitude, longitude);
    }

    // The district and coordinate columns follow the placemark file: a failed
    // write leaves the row as far as it got, like every result before the error
    // (the writer puts the results back to that point).
    row.District = district ? DistrictNames[static_cast<std::size_t>(*district)] : NotInPolygonText;
    row.LatText = std::move(latText);
    row.LonText = std::move(lonText);
    ++rowCount;
}

// The walk over the waypoints; the rows and files it makes.
int WalkWaypoints(AppState& state, PlacemarkWriter& placemarks)
{
    const QueryText& query = state.QueryLines;
    const std::size_t n = query.Size();
    if (n <= FirstWaypointLine) return 0;

    const ScanLines lines(query);
    // Room for a row per country line followed by a state line: no more rows
    // can come, and no more than the budget allows.
    RowBudget budget(query.TextBytes());
    state.Rows.reserve(std::min<std::size_t>(lines.CountPairs(FirstWaypointLine), budget.maxRows()));
    FindLogSearch findLog;
    int rowCount = 0;
    std::size_t close = 0;  // the first closing line after the current waypoint line
    // Each waypoint line to the next: the lines between hold none.
    for (std::size_t wpt = lines.Next(FirstWaypointLine, HasWptOpen), nextWpt; wpt < n; wpt = nextWpt) {
        // The closing line: no bound but the end of the query, which throws.
        // Waypoint lines only go forward, so each line is looked at once.
        if (close <= wpt) {
            close = wpt + 1;
            while (!lines.Has(close, HasWptClose)) ++close;
        }
        nextWpt = lines.Next(wpt + 1, HasWptOpen);

        // Country lines up to one line past the closing line. In a damaged
        // query whose next waypoint line comes before this one's closing
        // line, this waypoint's lines end there: no cache is counted twice.
        const std::size_t last = nextWpt <= close ? nextWpt - 1 : close + 1;
        for (std::size_t c = wpt; c <= last; ++c) {
            if (lines.Has(c, HasCountry) && lines.Has(c + 1, HasState))
                HandleCache(state, lines, wpt, c, close, findLog, budget, placemarks, rowCount);
        }
    }
    return rowCount;
}

}  // namespace

int ScanWaypoints(AppState& state)
{
    state.NotInPolygonCount = 0;
    state.Rows.clear();
    state.DistrictTally.fill(0);
    state.NIPList.clear();
    // The previous files go first; the new ones are written beside the walk.
    PlacemarkWriter placemarks(state);
    int rowCount = 0;
    try {
        rowCount = WalkWaypoints(state, placemarks);
    } catch (...) {
        // A file that failed before the walk did throws its own error.
        placemarks.Finish();
        throw;
    }
    placemarks.Finish();
    return rowCount;
}

}  // namespace ql
