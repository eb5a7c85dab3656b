#include "query_writer.h"

#include <algorithm>
#include <array>
#include <random>
#include <string_view>
#include <vector>

#include "core/tables.h"

namespace bench {

namespace {

using Rng = std::mt19937_64;

// ---- Words -------------------------------------------------------------------

constexpr std::array<std::string_view, 24> NameStarts = {
    "Burgblick",        "Rätsel am",       "Die Mühle",         "Weinbergsweg",      "Schatz im",
    "Rund um",          "Hexenküche",      "Römerstraße",       "Auf den Spuren von", "Blick über",
    "Fuchs &amp; Hase", "Waldgeister",     "Höhenweg",          "Zwischen Reben &amp; Rhein", "Alte Schmiede",
    "Brückenrätsel",    "Quellwanderung",  "Felsenpfad",        "Kapellenblick",     "Grenzstein",
    "Lost Place",       "Drachenfels",     "Streuobstwiese",    "Bärlauchweg",
};
constexpr std::array<std::string_view, 20> NameEnds = {
    "Rhein",      "Mosel",       "Nahe",         "Lahn",        "Pfälzerwald",  "Hunsrück",  "Eifel",
    "Westerwald", "Donnersberg", "Glan",         "Ahrtal",      "Saar",         "Weinstraße", "Selz",
    "Queich",     "Wied",        "Sieg",         "Dürkheimer Riesenfass", "Trifels", "Kalmit",
};
constexpr std::array<std::string_view, 12> Owners = {
    "Team Rheinhessen", "Pfälzer Waldgeister", "moselfuchs",    "Eifelkäfer",  "Hunsrücker Jungs",
    "nahegucker",       "Die Lahnfüchse",      "Tom &amp; Jerry", "Wäller Bande", "GeoSchwalbe",
    "Trierer Römer",    "Kurpfalzkinder",
};
constexpr std::array<std::string_view, 14> Sentences = {
    "Ein schöner Spaziergang mit toller Aussicht über das Tal.",
    "Die Dose liegt gut versteckt, bitte wieder ordentlich tarnen.",
    "Parken könnt ihr am Wanderparkplatz, von dort sind es etwa 800 m.",
    "Der Weg führt durch den Wald und an einer alten Mühle vorbei.",
    "Bei Nässe ist der Pfad rutschig &amp; festes Schuhwerk empfohlen.",
    "Die Burg wurde im 12. Jahrhundert erbaut und später zerstört.",
    "Vielen Dank fürs Legen und Pflegen! TFTC",
    "Heute mit der ganzen Familie unterwegs gewesen, hat Spaß gemacht.",
    "Nach kurzer Suche war die Dose gefunden, Logbuch ist fast voll.",
    "&lt;p&gt;Bitte achtet auf Muggel, der Platz ist gut besucht.&lt;/p&gt;",
    "Im Frühling blühen hier überall die Kirschbäume.",
    "Zum Schluss gab es noch einen Schoppen Riesling in der Straußwirtschaft.",
    "Die Rätselstation war knifflig, aber lösbar.",
    "Schöne Runde, danke an den Owner für die Mühe.",
};
constexpr std::array<std::string_view, 8> Hints = {
    "Magnetisch", "Unter dem Stein", "Baumfuß, Nordseite", "Hinter dem Schild", "In der Mauerritze",
    "Wurzel", "Zaunpfahl", "Nicht im Baum",
};
constexpr std::array<std::string_view, 8> Containers = {
    "Micro", "Small", "Regular", "Large", "Other", "Not chosen", "Virtual", "Small",
};
constexpr std::array<std::string_view, 10> Attributes = {
    "id=\"1\" inc=\"1\">Dogs",          "id=\"8\" inc=\"1\">Scenic view",  "id=\"9\" inc=\"1\">Significant hike",
    "id=\"13\" inc=\"1\">Available at all times", "id=\"6\" inc=\"1\">Recommended for kids",
    "id=\"14\" inc=\"0\">Recommended at night",   "id=\"24\" inc=\"1\">Wheelchair accessible",
    "id=\"32\" inc=\"1\">Bicycles",     "id=\"41\" inc=\"1\">Stroller accessible", "id=\"25\" inc=\"1\">Parking available",
};

struct OtherArea {
    std::string_view country, state;
    double minX, maxX, minY, maxY;  // a box well inside the area
};
constexpr std::array<OtherArea, 8> OtherAreas = {{
    {"Germany", "Hessen", 50.30, 50.95, 8.80, 9.70},
    {"Germany", "Nordrhein-Westfalen", 51.25, 51.85, 7.10, 8.40},
    {"Germany", "Baden-Württemberg", 48.30, 48.85, 8.60, 9.70},
    {"Germany", "Saarland", 49.25, 49.42, 6.85, 7.10},
    {"Germany", "Bayern", 48.60, 49.70, 11.00, 12.40},
    {"Germany", "Niedersachsen", 52.20, 52.90, 8.50, 10.00},
    {"Luxembourg", "Luxembourg", 49.60, 49.80, 6.00, 6.20},
    {"France", "Lorraine", 48.90, 49.10, 6.20, 6.60},
}};

// ---- Cache types and logs ------------------------------------------------------

struct TypeShare {
    std::string_view text;  // as the query writes it
    int weight;
    bool event;
};
constexpr std::array<TypeShare, 13> Types = {{
    {"Traditional Cache", 600, false},   {"Multi-cache", 150, false},        {"Unknown Cache", 120, false},
    {"Earthcache", 30, false},           {"Letterbox Hybrid", 20, false},    {"Wherigo Cache", 10, false},
    {"Virtual Cache", 10, false},        {"Webcam Cache", 5, false},         {"Event Cache", 35, true},
    {"Cache In Trash Out Event", 10, true}, {"Mega-Event Cache", 5, true},   {"Giga-Event Cache", 1, true},
    {"Project APE Cache", 2, false},  // a type outside the twelve the list shows as icons
}};

struct LogEntry {
    std::string_view type;
    int day;  // days since 1970-01-01
};

// ---- Dates -----------------------------------------------------------------------

// Days since 1970-01-01 of a civil date, and back.
int DaysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
}

std::string DateText(int days)
{
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int y = static_cast<int>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", y + (m <= 2), m, d);
    return buf;
}

const int CutoffDay = DaysFromCivil(2011, 5, 24);
const int FirstDay = DaysFromCivil(2004, 3, 1);
const int LastDay = DaysFromCivil(2024, 12, 31);

// ---- One find ----------------------------------------------------------------------

struct Find {
    std::string code;
    std::string name;
    std::string_view owner;
    const TypeShare* type = nullptr;
    std::string difficulty, terrain;
    std::string lat, lon;
    std::string_view country = "Germany", state = "Rheinland-Pfalz";
    int placedDay = 0;
    int findDay = 0;
    std::uint64_t id = 0;  // the listing's number, in the URL and ids
    std::vector<LogEntry> logs;
    std::string_view sym = "Geocache Found";
    bool available = true, archived = false;
};

template <typename T, std::size_t N>
const T& Pick(const std::array<T, N>& items, Rng& rng)
{
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

bool Chance(Rng& rng, double p)
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p;
}

int Between(Rng& rng, int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

std::string HalfStep(Rng& rng)
{
    static constexpr std::array<std::string_view, 9> Values = {"1", "1.5", "2", "2.5", "3", "3.5", "4", "4.5", "5"};
    static constexpr std::array<int, 9> Weights = {30, 25, 20, 10, 6, 4, 2, 2, 1};
    std::discrete_distribution<std::size_t> pick(Weights.begin(), Weights.end());
    return std::string(Values[pick(rng)]);
}

// GC codes from distinct numbers, in the code alphabet of the service.
std::string GcCode(std::size_t index)
{
    static constexpr std::string_view Alphabet = "0123456789ABCDEFGHJKMNPQRTVWXYZ";
    std::uint64_t id = 500000 + (static_cast<std::uint64_t>(index) * 7919) % 9000011;
    std::string digits;
    while (id > 0) {
        digits += Alphabet[id % Alphabet.size()];
        id /= Alphabet.size();
    }
    std::reverse(digits.begin(), digits.end());
    return "GC" + digits;
}

const TypeShare& PickType(Rng& rng)
{
    std::array<int, Types.size()> weights{};
    for (std::size_t i = 0; i < Types.size(); ++i) weights[i] = Types[i].weight;
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    return Types[pick(rng)];
}

std::string_view FindLogType(const TypeShare& type)
{
    if (type.event) return "Attended";
    if (type.text == "Webcam Cache") return "Webcam Photo Taken";
    return "Found it";
}

// The account's own logs, oldest first; mostly the find alone.
std::vector<LogEntry> MakeLogs(const TypeShare& type, int findDay, Rng& rng)
{
    std::vector<LogEntry> logs;
    if (Chance(rng, 0.08)) {
        static constexpr std::array<std::string_view, 3> Before = {"Didn't find it", "Write note", "Needs Maintenance"};
        logs.push_back({type.event ? std::string_view("Will Attend") : Pick(Before, rng), findDay - Between(rng, 1, 300)});
    }
    logs.push_back({FindLogType(type), findDay});
    if (Chance(rng, 0.06)) {
        static constexpr std::array<std::string_view, 2> After = {"Needs Maintenance", "Write note"};
        logs.push_back({Pick(After, rng), findDay + Between(rng, 0, 200)});
    }
    return logs;
}

int FindDay(Rng& rng)
{
    // About one find in ten lies before the cut-off; a few sit right at it.
    if (Chance(rng, 0.01)) return CutoffDay - Between(rng, 0, 1);
    if (Chance(rng, 0.10)) return Between(rng, FirstDay, CutoffDay - 1);
    return Between(rng, CutoffDay, LastDay);
}

Find MakeFind(std::size_t index, ql::TFPoint point, int findDay, Rng& rng)
{
    Find f;
    f.code = GcCode(index);
    f.id = 3000000 + index * 13;
    f.findDay = findDay;
    f.name = std::string(Pick(NameStarts, rng)) + " " + std::string(Pick(NameEnds, rng));
    if (Chance(rng, 0.2)) f.name += " #" + std::to_string(Between(rng, 1, 12));
    f.owner = Pick(Owners, rng);
    f.type = &PickType(rng);
    f.difficulty = HalfStep(rng);
    f.terrain = HalfStep(rng);
    f.lat = DegreesText(point.X);
    f.lon = DegreesText(point.Y);
    f.placedDay = std::max(FirstDay - 400, findDay - Between(rng, 0, 2500));
    f.logs = MakeLogs(*f.type, findDay, rng);
    return f;
}

// ---- Writing -----------------------------------------------------------------------

constexpr std::string_view CRLF = "\r\n";

// Free text of several lines; the service breaks such text partly with CR LF
// and partly with a bare LF, and continuation lines have no indentation.
void AppendText(std::string& out, int sentences, Rng& rng)
{
    for (int i = 0; i < sentences; ++i) {
        if (i > 0) out += Chance(rng, 0.3) ? std::string_view("\n") : CRLF;
        out += Pick(Sentences, rng);
    }
}

void AppendWaypoint(std::string& out, const Find& f, Rng& rng)
{
    const std::string_view type = f.type->text;
    const std::string id = std::to_string(f.id);
    auto line = [&out](std::string_view a, std::string_view b = {}, std::string_view c = {}) {
        out += a;
        out += b;
        out += c;
        out += CRLF;
    };

    line("  <wpt lat=\"" + f.lat + "\" lon=\"" + f.lon + "\">");
    line("    <time>", DateText(f.placedDay), "T07:00:00Z</time>");
    line("    <name>", f.code, "</name>");
    line("    <desc>" + f.name + " by " + std::string(f.owner) + ", " + std::string(type) + " (" + f.difficulty + "/" +
         f.terrain + ")</desc>");
    line("    <url>http://www.geocaching.com/seek/cache_details.aspx?guid=", id, "-4fa2-94ec-f4739c6275d2</url>");
    line("    <urlname>", f.name, "</urlname>");
    line("    <sym>", f.sym, "</sym>");
    line("    <type>Geocache|", type, "</type>");
    line("    <groundspeak:cache id=\"" + id + "\" available=\"" + (f.available ? "True" : "False") + "\" archived=\"" +
         (f.archived ? "True" : "False") + "\" xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0/1\">");
    line("      <groundspeak:name>", f.name, "</groundspeak:name>");
    line("      <groundspeak:placed_by>", f.owner, "</groundspeak:placed_by>");
    line("      <groundspeak:owner id=\"" + id + "\">", f.owner, "</groundspeak:owner>");
    line("      <groundspeak:type>", type, "</groundspeak:type>");
    line("      <groundspeak:container>", Pick(Containers, rng), "</groundspeak:container>");
    const int attributes = Chance(rng, 0.05) ? 0 : Between(rng, 1, 6);
    if (attributes == 0) {
        line("      <groundspeak:attributes />");
    } else {
        line("      <groundspeak:attributes>");
        for (int i = 0; i < attributes; ++i)
            line("        <groundspeak:attribute ", Pick(Attributes, rng), "</groundspeak:attribute>");
        line("      </groundspeak:attributes>");
    }
    line("      <groundspeak:difficulty>", f.difficulty, "</groundspeak:difficulty>");
    line("      <groundspeak:terrain>", f.terrain, "</groundspeak:terrain>");
    line("      <groundspeak:country>", f.country, "</groundspeak:country>");
    line("      <groundspeak:state>", f.state, "</groundspeak:state>");

    out += "      <groundspeak:short_description html=\"True\">";
    AppendText(out, Between(rng, 1, 2), rng);
    line("</groundspeak:short_description>");
    out += "      <groundspeak:long_description html=\"True\">";
    AppendText(out, Between(rng, 2, 14), rng);
    line("</groundspeak:long_description>");
    if (Chance(rng, 0.3)) {
        line("      <groundspeak:encoded_hints>");
        line("      </groundspeak:encoded_hints>");
    } else {
        line("      <groundspeak:encoded_hints>", Pick(Hints, rng), "</groundspeak:encoded_hints>");
    }

    line("      <groundspeak:logs>");
    for (const LogEntry& log : f.logs) {
        line("        <groundspeak:log id=\"" + std::to_string(100000000 + Between(rng, 0, 899999999)) + "\">");
        const bool realTime = Chance(rng, 0.4);
        char time[32];
        std::snprintf(time, sizeof time, "T%02d:%02d:%02dZ", realTime ? Between(rng, 0, 23) : 7,
                      realTime ? Between(rng, 0, 59) : 0, realTime ? Between(rng, 0, 59) : 0);
        line("          <groundspeak:date>", DateText(log.day), std::string(time) + "</groundspeak:date>");
        line("          <groundspeak:type>", log.type, "</groundspeak:type>");
        line("          <groundspeak:finder id=\"8305738\">Rheinlandläufer</groundspeak:finder>");
        out += "          <groundspeak:text encoded=\"False\">";
        AppendText(out, Between(rng, 1, 5), rng);
        line("</groundspeak:text>");
        line("        </groundspeak:log>");
    }
    line("      </groundspeak:logs>");
    line("      <groundspeak:travelbugs />");
    line("    </groundspeak:cache>");
    line("  </wpt>");
}

std::string Header(const std::vector<Find>& finds, std::string_view queryName = "My Finds Pocket Query")
{
    double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
    for (const Find& f : finds) {
        const double lat = std::stod(f.lat), lon = std::stod(f.lon);
        minLat = std::min(minLat, lat);
        maxLat = std::max(maxLat, lat);
        minLon = std::min(minLon, lon);
        maxLon = std::max(maxLon, lon);
    }
    if (finds.empty()) minLat = maxLat = minLon = maxLon = 0;
    std::string h;
    h += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
    h += "<gpx xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "version=\"1.0\" creator=\"Groundspeak Pocket Query\" xsi:schemaLocation=\"http://www.topografix.com/GPX/1/0 "
         "http://www.topografix.com/GPX/1/0/gpx.xsd http://www.groundspeak.com/cache/1/0/1 "
         "http://www.groundspeak.com/cache/1/0/1/cache.xsd\" xmlns=\"http://www.topografix.com/GPX/1/0\">\r\n";
    h += "  <name>" + std::string(queryName) + "</name>\r\n";
    h += "  <desc>Geocache file generated by Groundspeak</desc>\r\n";
    h += "  <author>Groundspeak</author>\r\n";
    h += "  <email>contact@groundspeak.com</email>\r\n";
    h += "  <time>2025-03-17T09:41:12.4830000Z</time>\r\n";
    h += "  <keywords>cache, geocache, groundspeak</keywords>\r\n";
    h += "  <bounds minlat=\"" + DegreesText(minLat) + "\" minlon=\"" + DegreesText(minLon) + "\" maxlat=\"" +
         DegreesText(maxLat) + "\" maxlon=\"" + DegreesText(maxLon) + "\" />\r\n";
    return h;
}

ql::TFPoint PointInArea(const OtherArea& area, Rng& rng)
{
    return {std::uniform_real_distribution<double>(area.minX, area.maxX)(rng),
            std::uniform_real_distribution<double>(area.minY, area.maxY)(rng)};
}

// Where the finds of a large query lie: mostly in the state's districts (by
// area, with extra weight on the towns), some just across its border though
// the query says Rheinland-Pfalz, some in other states and countries.
std::vector<Find> PlanLargeQuery(const DistrictShapes& shapes, const QueryPlan& plan, Rng& rng)
{
    std::vector<Find> finds;
    finds.reserve(plan.finds);
    for (std::size_t i = 0; i < plan.finds; ++i) {
        const double r = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        ql::TFPoint point;
        const OtherArea* other = nullptr;
        if (r < 0.87) {
            int district = Between(rng, 0, ql::DistrictCount - 1);
            if (r < 0.70) district = Between(rng, 0, ql::LandkreisCount - 1);
            point = shapes.PointIn(district, rng);
        } else if (r < 0.88) {
            point = shapes.PointOutsideNearBorder(rng);
        } else {
            other = &Pick(OtherAreas, rng);
            point = PointInArea(*other, rng);
        }
        Find f = MakeFind(i, point, FindDay(rng), rng);
        if (other) {
            f.country = other->country;
            f.state = other->state;
        }
        finds.push_back(std::move(f));
    }
    return finds;
}

// The shipped demo: every district covered after the cut-off, well inside its
// polygon, plus finds that show the filter, the not-in-polygon page and the
// state check.
std::vector<Find> PlanDemoQuery(const DistrictShapes& shapes, Rng& rng)
{
    std::vector<Find> finds;
    std::size_t index = 0;
    auto add = [&](ql::TFPoint p, int day) -> Find& {
        finds.push_back(MakeFind(index++, p, day, rng));
        return finds.back();
    };
    const int after = CutoffDay + 30;
    for (int d = 0; d < ql::DistrictCount; ++d) {
        Find& f = add(shapes.DeepPointIn(d, rng), Between(rng, after, LastDay));
        f.name = "Rund um " + std::string(ql::DistrictNames[d]);
    }
    for (int i = 0; i < 12; ++i) add(shapes.PointIn(Between(rng, 0, ql::DistrictCount - 1), rng), Between(rng, after, LastDay));
    for (int i = 0; i < 5; ++i) add(shapes.DeepPointIn(Between(rng, 0, ql::DistrictCount - 1), rng), Between(rng, FirstDay, CutoffDay - 1));
    for (int i = 0; i < 4; ++i) add(shapes.PointOutsideNearBorder(rng), Between(rng, after, LastDay));
    for (int i = 0; i < 3; ++i) {
        const OtherArea& area = OtherAreas[static_cast<std::size_t>(i)];
        Find& f = add(PointInArea(area, rng), Between(rng, after, LastDay));
        f.country = area.country;
        f.state = area.state;
    }
    // A webcam, an event and a cache found at the second attempt show the log rules.
    auto setType = [&](Find& f, std::string_view text) {
        for (const TypeShare& t : Types)
            if (t.text == text) f.type = &t;
        f.logs = MakeLogs(*f.type, f.findDay, rng);
    };
    setType(finds[37], "Webcam Cache");
    setType(finds[38], "Event Cache");
    finds[39].logs.insert(finds[39].logs.begin(), LogEntry{"Didn't find it", finds[39].logs.front().day - 20});
    std::shuffle(finds.begin(), finds.end(), rng);
    return finds;
}

}  // namespace

std::string BuildMyFindsQuery(const DistrictShapes& shapes, const QueryPlan& plan)
{
    Rng rng(plan.seed);
    const std::vector<Find> finds = plan.demo ? PlanDemoQuery(shapes, rng) : PlanLargeQuery(shapes, plan, rng);
    std::string out = Header(finds);
    out.reserve(finds.size() * 2600 + 1024);
    for (const Find& f : finds) AppendWaypoint(out, f, rng);
    out += "</gpx>";
    return out;
}

std::string BuildCandidateQuery(const DistrictShapes& shapes, const CandidatePlan& plan)
{
    Rng rng(plan.seed * 7919 + 17);
    std::vector<Find> caches;
    caches.reserve(plan.caches);
    for (std::size_t i = 0; i < plan.caches; ++i) {
        // Inside the districts, the towns weighted up as in a query around a town.
        int district = Between(rng, 0, ql::DistrictCount - 1);
        if (Chance(rng, 0.7)) district = Between(rng, 0, ql::LandkreisCount - 1);
        Find f = MakeFind(plan.firstIndex + i, shapes.PointIn(district, rng), Between(rng, CutoffDay, LastDay), rng);
        f.sym = "Geocache";
        f.available = !Chance(rng, 0.05);
        f.archived = Chance(rng, 0.01);
        // Others' logs: the latest few, found or not.
        for (LogEntry& log : f.logs)
            if (log.type == "Found it" && Chance(rng, 0.2)) log.type = "Didn't find it";
        caches.push_back(std::move(f));
    }
    std::string out = Header(caches, plan.name);
    out.reserve(caches.size() * 2600 + 1024);
    for (const Find& f : caches) AppendWaypoint(out, f, rng);
    out += "</gpx>";
    return out;
}

}  // namespace bench
