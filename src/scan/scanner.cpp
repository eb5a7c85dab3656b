// The My Finds waypoint scanner. It walks the query's lines with substring
// searches at fixed line offsets; nothing is parsed as XML. Lines are views
// into the query's one buffer, so walking them allocates nothing; only an
// accepted cache makes strings (its row).

#include "scan/scanner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/cancel.h"
#include "base/query_limits.h"
#include "platform/task_beside.h"
#include "base/user_error.h"
#include "state/app_state.h"
#include "core/records.h"
#include "core/tables.h"
#include "scan/text_cut.h"
#include "geo/coord_text.h"
#include "geo/number.h"
#include "geo/point.h"
#include "scan/placemark_writer.h"
#include "districts/district_map.h"
#include "query/line_kinds.h"

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

    // Country lines in [from, to) whose next line is the state line; read
    // from the line kinds alone.
    std::size_t CountPairs(std::size_t from, std::size_t to) const
    {
        std::size_t n = 0;
        for (std::size_t i = lines_.NextWith(from, HasCountry); i < to; i = lines_.NextWith(i + 1, HasCountry))
            n += i + 1 < lines_.Size() && (lines_.Kinds(i + 1) & HasState) != 0;
        return n;
    }
    unsigned char Kinds(std::size_t i) const { return lines_.Kinds(i); }
    // The first line from `from` (at most Size()) on of one of the given kinds, or Size().
    std::size_t Next(std::size_t from, unsigned char kinds) const { return lines_.NextWith(from, kinds); }
    std::string_view At(std::size_t i) const { return lines_.At(i); }
    void Prefetch(std::size_t i) const { lines_.Prefetch(i); }
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
    for (std::size_t d = lines.Next(country, HasDate); d <= close; d = lines.Next(d + 1, HasDate)) {
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
    // Counts a row when it fits; false when it would not.
    bool Allows(std::uint64_t cost)
    {
        if (used_ + cost > limit_) return false;
        used_ += cost;
        return true;
    }
    void Take(std::uint64_t cost, int rowsSoFar)
    {
        used_ += cost;
        if (used_ > limit_) [[unlikely]]
            throw UserError(
                "Die Datei ist vermutlich beschädigt: Sie ergibt mehr Ergebniszeilen, als ihre Größe "
                "zulässt. Es wurden " +
                std::to_string(rowsSoFar) + " Funde gelesen.");
    }

private:
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
};

// A difficulty or terrain value of one character gets ".0": "2" reads "2.0".
bool NeedsDecimal(std::string_view value)
{
    return CodePointCount(value) < 2;
}
std::size_t DifficultyTextBytes(std::string_view value)
{
    return value.size() + (NeedsDecimal(value) ? 2 : 0);
}
void SetDifficultyText(std::string& text, std::string_view value)
{
    text = value;
    if (NeedsDecimal(value)) text += ".0";
}

// One find as read from the query: its row, whole, on the thread that read it.
struct FindRead {
    CacheRow row;
    std::optional<int> district;
    std::uint64_t cost = 0;  // what the row and its record take
    // The query's own texts, for a find outside every district.
    std::string_view latitude, longitude, type;
    // Left out by the cut-off date: no row, only its district is counted.
    bool beforeCutoff = false;
};

// The find of a country line; one the cut-off date leaves out carries only
// its district. Without boundaries (`bounded` false) a find in no district
// is not known to lie outside: its row says so.
std::optional<FindRead> ReadFind(const ScanLines& lines, std::size_t wpt, std::size_t country, std::size_t close,
                                 FindLogSearch& findLog, bool cutoffEnabled, bool bounded, const DistrictMap& districts)
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
    const std::string_view type =
        CapBytes(CutValue(lines.At(wpt + 12), "<groundspeak:type>", "</groundspeak:type>", SearchFrom::LineStart),
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

    if (cutoffEnabled && findDate < CutoffDate) {
        FindRead earlier;
        earlier.beforeCutoff = true;
        earlier.district = districts.Find(point);
        return earlier;
    }

    FindRead find;
    find.district = districts.Find(point);
    // The row with its texts, and for a find outside every district its
    // record and file name (the coordinate texts fit in the strings themselves).
    find.cost = sizeof(CacheRow) + code.size() + name.size() + DifficultyTextBytes(difficulty) +
                DifficultyTextBytes(terrain) + findDate.size() +
                (find.district ? 0 : sizeof(TNIPDatum) + 256 + sizeof(std::string) + code.size());
    const bool outside = !find.district && bounded;
    CacheRow& row = find.row;
    row.GCCode = code;
    row.TypeIndex = typeIndex;
    row.Name = name;
    SetDifficultyText(row.Difficulty, difficulty);
    SetDifficultyText(row.Terrain, terrain);
    row.FindDate = findDate;
    row.District = find.district ? DistrictNames[static_cast<std::size_t>(*find.district)]
                   : outside     ? NotInPolygonText
                                 : NoBoundariesText;
    row.LatText = CoordText(point.X, CoordLatitude);
    row.LonText = CoordText(point.Y, CoordLongitude);
    row.NotInPolygon = outside;
    row.Point = point;
    row.DistrictIndex = find.district.value_or(-1);
    find.latitude = latitude;
    find.longitude = longitude;
    find.type = type;
    return find;
}

// A find read becomes the next row: counted against the budget, tallied, and
// for a find outside every district recorded with its placemark file.
void AddFind(AppState& state, FindRead&& find, RowBudget& budget, PlacemarkWriter& placemarks, int& rowCount)
{
    if (find.beforeCutoff) {
        if (find.district) ++state.CutOffTally[static_cast<std::size_t>(*find.district)];
        return;
    }
    budget.Take(find.cost, rowCount);
    const bool outside = find.row.NotInPolygon;
    if (find.district) ++state.DistrictTally[static_cast<std::size_t>(*find.district)];
    else if (outside) ++state.NotInPolygonCount;
    if (!outside) {
        state.Rows.push_back(std::move(find.row));
        ++rowCount;
        return;
    }

    // The district and coordinate columns follow the placemark file: a failed
    // write leaves the row as far as it got, like every result before the error
    // (the writer puts the results back to that point).
    std::string district = std::move(find.row.District);
    std::string latText = std::move(find.row.LatText);
    std::string lonText = std::move(find.row.LonText);
    find.row.District.clear();
    find.row.LatText.clear();
    find.row.LonText.clear();
    CacheRow& row = state.Rows.emplace_back(std::move(find.row));
    const std::string coords = latText + " " + lonText;
    const std::string decimals = std::string(find.latitude) + "," + std::string(find.longitude);
    state.NIPList.push_back(TNIPDatum::FromUtf8(row.GCCode, row.Name, find.type, coords, decimals));
    placemarks.Write(row.GCCode, row.Name, find.latitude, find.longitude);
    row.District = std::move(district);
    row.LatText = std::move(latText);
    row.LonText = std::move(lonText);
    ++rowCount;
}

// The most lines looked at ahead of a waypoint for the lines its find will read.
constexpr std::size_t LookAheadLines = 256;

// Asks the memory for the lines ReadFind will read of a waypoint while the
// one before it is read: its waypoint line and the lines at fixed offsets,
// and around its first country line the difficulty, terrain, first date and
// log type lines. Found from the line kinds alone; only a hint, so a
// waypoint of another shape is simply read without it.
void PrefetchWaypoint(const ScanLines& lines, std::size_t wpt)
{
    for (const std::size_t offset : {0, 2, 5, 12}) lines.Prefetch(wpt + offset);
    const std::size_t end = std::min(lines.Size(), wpt + LookAheadLines);
    const std::size_t c = lines.Next(wpt + 1, HasCountry | HasWptOpen);
    if (c >= end || (lines.Kinds(c) & HasCountry) == 0) return;
    lines.Prefetch(c - 2);
    lines.Prefetch(c - 1);
    const std::size_t d = lines.Next(c, HasDate | HasWptClose);
    if (d >= end || (lines.Kinds(d) & HasDate) == 0) return;
    lines.Prefetch(d);
    lines.Prefetch(d + 1);
}

// Waypoints read between two looks at the stop: a few milliseconds' work.
constexpr std::size_t CancelLookEvery = 4096;

// What every find of a walk is read with.
struct FindRules {
    bool CutoffEnabled;
    bool Bounded;  // see ReadFind
    const DistrictMap& Districts;
    const CancelToken* Cancel;
};

// The finds of the waypoints whose waypoint line lies in [begin, end), in
// query order, each handed to `take`.
template <typename Take>
void ReadWaypoints(const ScanLines& lines, std::size_t begin, std::size_t end, const FindRules& rules, Take&& take)
{
    FindLogSearch findLog;
    std::size_t close = 0;  // the first closing line after the current waypoint line
    std::size_t sinceLook = CancelLookEvery - 1;  // waypoints since the stop was last looked for: first at once
    // Each waypoint line to the next: the lines between hold none.
    for (std::size_t wpt = lines.Next(begin, HasWptOpen), nextWpt; wpt < end; wpt = nextWpt) {
        if (++sinceLook == CancelLookEvery) {
            sinceLook = 0;
            ThrowIfCancelled(rules.Cancel);
        }
        // The closing line: no bound but the end of the query, which throws.
        // Waypoint lines only go forward, so each line is looked at once.
        if (close <= wpt) {
            close = lines.Next(wpt + 1, HasWptClose);
            if (close == lines.Size()) (void)lines.At(close);
        }
        nextWpt = lines.Next(wpt + 1, HasWptOpen);
        if (nextWpt < end) PrefetchWaypoint(lines, nextWpt);

        // Country lines up to one line past the closing line. In a damaged
        // query whose next waypoint line comes before this one's closing
        // line, this waypoint's lines end there: no cache is counted twice.
        const std::size_t last = nextWpt <= close ? nextWpt - 1 : close + 1;
        for (std::size_t c = lines.Next(wpt, HasCountry); c <= last; c = lines.Next(c + 1, HasCountry)) {
            if (lines.Has(c, HasCountry) && lines.Has(c + 1, HasState)) {
                std::optional<FindRead> find =
                    ReadFind(lines, wpt, c, close, findLog, rules.CutoffEnabled, rules.Bounded, rules.Districts);
                if (find && !take(std::move(*find))) return;
            }
        }
    }
}

// A large query is read in stretches by two threads, each taking the next
// stretch not yet taken. The first stretch, read by the walk's thread straight into the
// rows while the other thread reads on, is this share of the lines; the rest
// come in stretches small enough that the last one ends the two threads' work
// within a millisecond or two of each other.
constexpr std::size_t FirstStretchPercent = 40;
constexpr std::size_t LaterStretches = 40;

// What was read of one stretch into a pile, to be made rows when its turn comes.
struct StretchRead {
    std::vector<FindRead> finds;
    DistrictTallyArray cutOff{};  // finds the cut-off date left out, per district
    std::exception_ptr failure;  // the read that ended the stretch early, if one did
    // The cost of the find that no longer fitted its reader's pile, if one did not.
    std::optional<std::uint64_t> beyondBudget;
};

// Reads the finds of the waypoints in [begin, end) into a pile. A budget of
// the reader's own bounds what waits in its piles: without it a hostile
// query could pile up finds far past what the walk's budget will ever take.
// Its piles hold finds of earlier stretches only, so where it ends a pile the
// walk's budget, which counts them all and more, has ended the walk.
void ReadIntoPile(const ScanLines& lines, std::size_t begin, std::size_t end, const FindRules& rules,
                  RowBudget& pileBudget, const std::atomic<bool>& abandoned, StretchRead& read)
{
    read.finds.reserve(lines.CountPairs(begin, end));
    try {
        ReadWaypoints(lines, begin, end, rules, [&](FindRead&& find) {
            if (abandoned.load(std::memory_order_relaxed)) return false;
            if (find.beforeCutoff) {  // counted here: no need to keep it
                if (find.district) ++read.cutOff[static_cast<std::size_t>(*find.district)];
                return true;
            }
            if (!pileBudget.Allows(find.cost)) {
                read.beyondBudget = find.cost;
                return false;
            }
            read.finds.push_back(std::move(find));
            return true;
        });
    } catch (...) {
        read.failure = std::current_exception();  // counts when the stretch's turn comes
    }
}

// The stretches of a large query's walk: which are taken, and the piles read.
class WalkStretches {
public:
    // Cut at waypoint lines: a first stretch of the given share of the lines,
    // then `later` stretches of about equal lines.
    WalkStretches(const ScanLines& lines, std::size_t from, std::size_t firstPercent, std::size_t later)
            : piles_(later + 1)
    {
        const std::size_t n = lines.Size();
        bounds_.push_back(from);
        const std::size_t rest = from + (n - from) / 100 * firstPercent;
        for (std::size_t k = 0; k < later; ++k)
            bounds_.push_back(std::max(bounds_.back(), lines.Next(rest + (n - rest) / later * k, HasWptOpen)));
        bounds_.push_back(n);
    }

    std::size_t Count() const { return piles_.size(); }
    std::size_t Begin(std::size_t k) const { return bounds_[k]; }
    std::size_t End(std::size_t k) const { return bounds_[k + 1]; }

    // The next stretch nobody has taken, or none: after the last, or after a
    // stretch whose read ended the walk.
    std::optional<std::size_t> TakeNext()
    {
        const std::size_t k = next_.fetch_add(1);
        if (k >= Count() || k > lastWanted_.load()) return std::nullopt;
        return k;
    }
    // Stretch k read into a pile.
    void Finish(std::size_t k, StretchRead&& read)
    {
        if (read.failure || read.beyondBudget) {
            std::size_t wanted = lastWanted_.load();
            while (k < wanted && !lastWanted_.compare_exchange_weak(wanted, k)) {
            }
        }
        const std::lock_guard lock(mutex_);
        piles_[k].read = std::move(read);
        piles_[k].done = true;
        pileDone_.notify_all();
    }
    bool IsDone(std::size_t k)
    {
        const std::lock_guard lock(mutex_);
        return piles_[k].done;
    }
    void WaitFor(std::size_t k)
    {
        std::unique_lock lock(mutex_);
        pileDone_.wait(lock, [&] { return piles_[k].done; });
    }
    StretchRead TakePile(std::size_t k)
    {
        const std::lock_guard lock(mutex_);
        return std::move(piles_[k].read);
    }

    // The walk ends with an error of its own: no stretch is wanted any more.
    std::atomic<bool> Abandoned{false};

private:
    struct Pile {
        StretchRead read;
        bool done = false;
    };
    std::vector<std::size_t> bounds_;  // Count() + 1 waypoint lines
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> lastWanted_{static_cast<std::size_t>(-1)};
    std::mutex mutex_;
    std::condition_variable pileDone_;
    std::vector<Pile> piles_;
};

// The walk over the waypoints; the rows and files it makes. A large query is
// read in stretches by two threads at once (WalkStretches); the walk's thread makes
// the rows stretch by stretch in query order: a stretch it takes when it is the next
// to be made rows is read straight into them, every other stretch is read into
// a pile and made rows when its turn comes. So the rows, tallies, files and
// the first failure are those of one walk.
int WalkWaypoints(AppState& state, const ScanSource& source, PlacemarkWriter& placemarks)
{
    const QueryText& query = source.Lines;
    const std::size_t n = query.Size();
    if (n <= FirstWaypointLine) return 0;

    const ScanLines lines(query);
    // Room for a row per country line followed by a state line: no more rows
    // can come, and no more than the budget allows.
    RowBudget budget(query.TextBytes());
    state.Rows.reserve(std::min<std::size_t>(lines.CountPairs(FirstWaypointLine, n), budget.maxRows()));
    int rowCount = 0;
    bool bounded = false;
    for (const TPolyArray& polygon : source.Districts) bounded = bounded || !polygon.empty();
    const FindRules rules{state.CutoffEnabled, bounded && source.Bounded, source.Districts, source.Cancel};
    const auto addFind = [&](FindRead&& find) {
        AddFind(state, std::move(find), budget, placemarks, rowCount);
        return true;
    };

    if (n < LinesReadByTwoThreads) {
        ReadWaypoints(lines, FirstWaypointLine, n, rules, addFind);
        return rowCount;
    }
    WalkStretches stretches(lines, FirstWaypointLine, FirstStretchPercent, LaterStretches);
    (void)stretches.TakeNext();  // the first stretch is this thread's
    const auto readIntoPile = [&](std::size_t k, RowBudget& pileBudget) {
        StretchRead read;
        ReadIntoPile(lines, stretches.Begin(k), stretches.End(k), rules, pileBudget, stretches.Abandoned, read);
        stretches.Finish(k, std::move(read));
    };
    TaskBeside helper([&] {
        RowBudget pileBudget(query.TextBytes());
        while (const std::optional<std::size_t> k = stretches.TakeNext()) readIntoPile(*k, pileBudget);
    });
    try {
        ReadWaypoints(lines, stretches.Begin(0), stretches.End(0), rules, addFind);
        RowBudget pileBudget(query.TextBytes());
        for (std::size_t turn = 1; turn < stretches.Count();) {
            if (stretches.IsDone(turn)) {
                StretchRead read = stretches.TakePile(turn++);
                for (FindRead& find : read.finds) AddFind(state, std::move(find), budget, placemarks, rowCount);
                for (std::size_t d = 0; d < read.cutOff.size(); ++d) state.CutOffTally[d] += read.cutOff[d];
                // The find the pile stopped at is past the walk's budget too.
                if (read.beyondBudget) budget.Take(*read.beyondBudget, rowCount);
                if (read.failure) std::rethrow_exception(read.failure);
            } else if (const std::optional<std::size_t> k = stretches.TakeNext()) {
                if (*k == turn) {
                    ReadWaypoints(lines, stretches.Begin(turn), stretches.End(turn), rules, addFind);
                    ++turn;
                } else {
                    readIntoPile(*k, pileBudget);
                }
            } else {
                stretches.WaitFor(turn);  // being read beside
            }
        }
    } catch (...) {
        stretches.Abandoned = true;
        throw;  // the helper is joined on the way out
    }
    helper.Wait();
    return rowCount;
}

}  // namespace

int ScanWaypoints(AppState& state)
{
    return ScanWaypoints(state, ScanSource{state.QueryLines, state.PolyTable, nullptr, false, BoundariesLoaded(state)});
}

int ScanWaypoints(AppState& state, const ScanSource& source)
{
    state.NotInPolygonCount = 0;
    state.Rows.clear();
    state.DistrictTally.fill(0);
    state.CutOffTally.fill(0);
    state.NIPList.clear();
    if (state.RestoreTempDir) state.TempDir = state.RestoreTempDir();
    // The previous files go first; the new ones are written beside the walk,
    // or later, beside the window.
    PlacemarkWriter placemarks(state, source.FilesLater);
    int rowCount = 0;
    try {
        rowCount = WalkWaypoints(state, source, placemarks);
    } catch (...) {
        // A file that failed before the walk did throws its own error.
        placemarks.Finish();
        throw;
    }
    placemarks.Finish();
    return rowCount;
}

}  // namespace ql
