#include "planner/gpx_export.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "base/user_error.h"
#include "reports/web_hosts.h"
#include "platform/platform.h"

namespace ql {

namespace {

constexpr std::string_view CRLF = "\r\n";
constexpr std::string_view CacheNamespace = "http://www.groundspeak.com/cache/1/0/1";

// The namespaces the document declares on its root, by prefix.
constexpr std::pair<std::string_view, std::string_view> RootNamespaces[] = {
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
    {"xsd", "http://www.w3.org/2001/XMLSchema"},
    {"groundspeak", CacheNamespace},
};

// Text for element content and attribute values.
std::string EscapeMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Degrees(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

// The element with the outer namespaces it needs that the root does not give.
std::string CopiedWaypoint(const Candidate& c)
{
    std::string extra;
    for (const auto& [prefix, uri] : c.OuterNamespaces) {
        bool rootHasIt = false;
        for (const auto& [rootPrefix, rootUri] : RootNamespaces) rootHasIt |= rootPrefix == prefix && rootUri == uri;
        if (!rootHasIt) extra += " xmlns:" + prefix + "=\"" + EscapeMarkup(uri) + "\"";
    }
    if (extra.empty()) return c.Waypoint;
    const std::size_t nameEnd = c.Waypoint.find_first_of(" \t\r\n/>", 1);
    std::string out = c.Waypoint;
    out.insert(nameEnd == std::string::npos ? out.size() : nameEnd, extra);
    return out;
}

std::string OwnWaypoint(const Candidate& c)
{
    std::string w;
    w += "<wpt lat=\"" + Degrees(c.Point.X) + "\" lon=\"" + Degrees(c.Point.Y) + "\">";
    w += CRLF;
    w += "    <name>" + EscapeMarkup(c.Code) + "</name>";
    w += CRLF;
    std::string desc = c.Name;
    if (!c.Type.empty()) desc += ", " + c.Type;
    if (c.Difficulty > 0 && c.Terrain > 0) desc += " (" + RatingText(c.Difficulty) + "/" + RatingText(c.Terrain) + ")";
    w += "    <desc>" + EscapeMarkup(desc) + "</desc>";
    w += CRLF;
    if (c.Code.starts_with("GC")) {
        w += "    <url>" + EscapeMarkup(std::string(ShortLinkBase) + c.Code) + "</url>";
        w += CRLF;
    }
    w += "    <urlname>" + EscapeMarkup(c.Name) + "</urlname>";
    w += CRLF;
    w += "    <sym>Geocache</sym>";
    w += CRLF;
    w += "    <type>Geocache" + (c.Type.empty() ? std::string() : "|" + EscapeMarkup(c.Type)) + "</type>";
    w += CRLF;
    w += "  </wpt>";
    return w;
}

// The document: header, the caches as waypoints, then `route` as it stands.
std::string GpxDocument(const std::vector<const Candidate*>& caches, std::string_view name, std::string_view desc,
                        std::string_view timeText, std::string_view route)
{
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    out += CRLF;
    out += "<gpx version=\"1.0\" creator=\"Quenlorn Polygonberechnung\" xmlns=\"http://www.topografix.com/GPX/1/0\"";
    for (const auto& [prefix, uri] : RootNamespaces)
        out += " xmlns:" + std::string(prefix) + "=\"" + std::string(uri) + "\"";
    out += " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/0 http://www.topografix.com/GPX/1/0/gpx.xsd ";
    out += std::string(CacheNamespace) + " " + std::string(CacheNamespace) + "/cache.xsd\">";
    out += CRLF;
    out += "  <name>" + EscapeMarkup(name) + "</name>";
    out += CRLF;
    out += "  <desc>" + EscapeMarkup(desc) + "</desc>";
    out += CRLF;
    out += "  <author>Quenlorn Polygonberechnung</author>";
    out += CRLF;
    if (!timeText.empty()) {
        out += "  <time>" + EscapeMarkup(timeText) + "</time>";
        out += CRLF;
    }
    if (!caches.empty()) {
        double minLat = 90, maxLat = -90, minLon = 180, maxLon = -180;
        for (const Candidate* c : caches) {
            minLat = std::min(minLat, c->Point.X);
            maxLat = std::max(maxLat, c->Point.X);
            minLon = std::min(minLon, c->Point.Y);
            maxLon = std::max(maxLon, c->Point.Y);
        }
        out += "  <bounds minlat=\"" + Degrees(minLat) + "\" minlon=\"" + Degrees(minLon) + "\" maxlat=\"" +
               Degrees(maxLat) + "\" maxlon=\"" + Degrees(maxLon) + "\"/>";
        out += CRLF;
    }
    for (const Candidate* c : caches) {
        out += "  ";
        out += c->Waypoint.empty() ? OwnWaypoint(*c) : CopiedWaypoint(*c);
        out += CRLF;
    }
    out += route;
    out += "</gpx>";
    out += CRLF;
    return out;
}

std::string RoutePoint(TFPoint p, std::string_view name, std::string_view desc)
{
    std::string r = "    <rtept lat=\"" + Degrees(p.X) + "\" lon=\"" + Degrees(p.Y) + "\">";
    r += CRLF;
    r += "      <name>" + EscapeMarkup(name) + "</name>";
    r += CRLF;
    if (!desc.empty()) {
        r += "      <desc>" + EscapeMarkup(desc) + "</desc>";
        r += CRLF;
    }
    r += "    </rtept>";
    r += CRLF;
    return r;
}

}  // namespace

std::string CandidateGpxText(const std::vector<const Candidate*>& caches, std::string_view timeText)
{
    return GpxDocument(caches, "Kandidaten für fehlende Kreise", "Caches für die Kreise, die noch fehlen", timeText,
                       {});
}

std::string TourGpxText(const std::vector<const Candidate*>& stops, TFPoint home, bool returnHome,
                        std::string_view timeText)
{
    std::string route = "  <rte>";
    route += CRLF;
    route += "    <name>Tour durch die fehlenden Kreise</name>";
    route += CRLF;
    route += RoutePoint(home, "Start", "Heimatpunkt");
    for (const Candidate* c : stops) route += RoutePoint(c->Point, c->Code, c->Name);
    if (returnHome && !stops.empty()) route += RoutePoint(home, "Ziel", "Heimatpunkt");
    route += "  </rte>";
    route += CRLF;
    return GpxDocument(stops, "Tour durch die fehlenden Kreise", "Ein Cache in jedem fehlenden Kreis, in Tourfolge",
                       timeText, route);
}

void WriteFileReplacing(const std::string& path, std::string_view text)
{
    platform::WriteFileAtomically(path, text);
}

std::string GpxTimeNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buf;
}

}  // namespace ql
