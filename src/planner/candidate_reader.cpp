#include "planner/candidate_reader.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii.h"
#include "base/user_error.h"
#include "geo/number.h"

namespace ql {

namespace {

constexpr char NamespaceSeparator = ' ';
constexpr std::size_t ParsePiece = 1 << 20;
constexpr std::string_view Gpx10Namespace = "http://www.topografix.com/GPX/1/0";
constexpr std::string_view GpxNamespacePrefix = "http://www.topografix.com/GPX/";
constexpr std::string_view CacheNamespacePrefix = "http://www.groundspeak.com/cache/";

enum class Space { None, Gpx, Cache, Other };

struct Name {
    Space space = Space::None;
    std::string_view uri;
    std::string_view local;
    std::string_view prefix;  // as the document wrote it; empty without one
};

// The parser gives "uri local prefix", "uri local" or "local" (it refuses a
// namespace whose URI holds the separator).
Name SplitName(const XML_Char* raw)
{
    const std::string_view name(raw);
    const std::size_t cut = name.find(NamespaceSeparator);
    if (cut == std::string_view::npos) return {Space::None, {}, name, {}};
    Name n{Space::Other, name.substr(0, cut), name.substr(cut + 1), {}};
    if (const std::size_t second = n.local.find(NamespaceSeparator); second != std::string_view::npos) {
        n.prefix = n.local.substr(second + 1);
        n.local = n.local.substr(0, second);
    }
    if (n.uri.starts_with(GpxNamespacePrefix)) n.space = Space::Gpx;
    else if (n.uri.starts_with(CacheNamespacePrefix)) n.space = Space::Cache;
    return n;
}

bool IsGpx(const Name& n)
{
    return n.space == Space::Gpx || n.space == Space::None;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A decimal as XML Schema writes it: a leading "+" is allowed.
std::optional<double> Number(std::string_view text)
{
    text = Trimmed(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The German words for the parser's usual complaints.
std::string ProblemText(XML_Error code)
{
    switch (code) {
    case XML_ERROR_TAG_MISMATCH: return "Das schließende Element passt nicht zum öffnenden";
    case XML_ERROR_NO_ELEMENTS: return "Die Datei enthält kein Element";
    case XML_ERROR_SYNTAX: return "Syntaxfehler";
    case XML_ERROR_INVALID_TOKEN: return "Ungültiges Zeichen";
    case XML_ERROR_UNCLOSED_TOKEN: return "Unvollständiges Element";
    case XML_ERROR_PARTIAL_CHAR: return "Unvollständiges Zeichen";
    case XML_ERROR_UNDEFINED_ENTITY: return "Unbekannte Entität";
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT: return "Text nach dem Ende des Dokuments";
    case XML_ERROR_UNBOUND_PREFIX: return "Präfix ohne Namensraum";
    case XML_ERROR_DUPLICATE_ATTRIBUTE: return "Attribut doppelt";
    case XML_ERROR_BAD_CHAR_REF: return "Ungültiger Zeichenverweis";
    case XML_ERROR_UNKNOWN_ENCODING: return "Unbekannte Zeichenkodierung";
    case XML_ERROR_INCORRECT_ENCODING: return "Die Zeichenkodierung passt nicht zur Angabe im Kopf";
    case XML_ERROR_AMPLIFICATION_LIMIT_BREACH: return "Entitäten wachsen über jedes vernünftige Maß";
    default: break;
    }
    return std::string("XML-Fehler (") + XML_ErrorString(code) + ")";
}

struct Binding {
    std::string uri;
    int depth;  // of the element that declares it
    std::size_t order;  // how many declarations came before it in the document
};

// What the parser has read of the waypoint it is in.
struct WaypointDraft {
    int depth = 0;
    long long begin = 0;
    bool inGpx10 = false;
    std::optional<double> lat, lon;
    std::string code, desc, urlName, linkText, gpxType;
    int cacheDepth = 0;  // of the extension's cache element, 0 without one
    std::string cacheName, cacheType, difficulty, terrain;
    bool available = true;
    std::unordered_set<std::string> prefixes;  // used in names inside the element
};

enum class Field { None, Code, Desc, UrlName, LinkText, GpxType, CacheName, CacheType, Difficulty, Terrain };

class Reader {
public:
    Reader(std::string_view bytes, const std::string& fileName, const CandidateSink& take)
            : bytes_(bytes), fileName_(fileName), take_(take)
    {
    }

    // The waypoints left out for their coordinates.
    std::size_t Read()
    {
        std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
            XML_ParserCreateNS(nullptr, NamespaceSeparator), &XML_ParserFree);
        if (!parser) throw std::bad_alloc();
        parser_ = parser.get();
        XML_SetUserData(parser_, this);
        XML_SetReturnNSTriplet(parser_, XML_TRUE);
        XML_SetElementHandler(parser_, &Reader::OnStart, &Reader::OnEnd);
        XML_SetCharacterDataHandler(parser_, &Reader::OnText);
        XML_SetNamespaceDeclHandler(parser_, &Reader::OnNamespaceStart, &Reader::OnNamespaceEnd);
        XML_SetXmlDeclHandler(parser_, &Reader::OnXmlDecl);
        XML_SetStartDoctypeDeclHandler(parser_, &Reader::OnDoctype);
        // UTF-16 (a byte-order mark, or a zero byte up front without one) is read, but its bytes are no UTF-8 to copy.
        if (bytes_.size() >= 2 && (bytes_.starts_with("\xFE\xFF") || bytes_.starts_with("\xFF\xFE") ||
                                   bytes_[0] == '\0' || bytes_[1] == '\0'))
            copyable_ = false;
        // In pieces: the parser copies what it is given, and a reading that
        // stops early then has copied no more than a piece.
        std::size_t at = 0;
        do {
            const std::size_t n = std::min(ParsePiece, bytes_.size() - at);
            const bool last = at + n == bytes_.size();
            if (XML_Parse(parser_, bytes_.data() + at, static_cast<int>(n), last) == XML_STATUS_ERROR) {
                if (stopped_) return withoutPoint_;
                if (notGpx_) throw UserError("Die Datei \"" + fileName_ + "\" ist keine GPX-Datei.");
                const auto line = static_cast<unsigned long long>(XML_GetCurrentLineNumber(parser_));
                const auto column = static_cast<unsigned long long>(XML_GetCurrentColumnNumber(parser_)) + 1;
                throw UserError("Die Datei \"" + fileName_ + "\" ist kein gültiges GPX: Zeile " + std::to_string(line) +
                                ", Spalte " + std::to_string(column) + ": " + ProblemText(XML_GetErrorCode(parser_)) +
                                ".");
            }
            at += n;
        } while (at < bytes_.size());
        return withoutPoint_;
    }

private:
    static Reader& Self(void* data) { return *static_cast<Reader*>(data); }

    static void OnXmlDecl(void* data, const XML_Char*, const XML_Char* encoding, int)
    {
        if (encoding && !EqualsNoCase(encoding, "UTF-8")) Self(data).copyable_ = false;
    }
    static void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        Self(data).copyable_ = false;  // entities of its own would not travel with a copied element
    }
    // Only prefixed namespaces are looked up; each prefix keeps its bindings, innermost last.
    static void OnNamespaceStart(void* data, const XML_Char* prefix, const XML_Char* uri)
    {
        Reader& r = Self(data);
        if (prefix) r.bindings_[prefix].push_back({uri ? uri : "", r.depth_ + 1, r.declarations_++});
    }
    static void OnNamespaceEnd(void* data, const XML_Char* prefix)
    {
        if (!prefix) return;
        Reader& r = Self(data);
        const auto found = r.bindings_.find(prefix);
        if (found == r.bindings_.end()) return;
        found->second.pop_back();
        if (found->second.empty()) r.bindings_.erase(found);
    }
    static void OnStart(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        Self(data).Start(SplitName(name), attributes);
    }
    static void OnEnd(void* data, const XML_Char* name) { Self(data).End(SplitName(name)); }
    static void OnText(void* data, const XML_Char* text, int length)
    {
        Reader& r = Self(data);
        if (r.field_ != Field::None) r.text_.append(text, static_cast<std::size_t>(length));
    }

    void Start(const Name& n, const XML_Char** attributes)
    {
        ++depth_;
        if (depth_ == 1) {
            if (n.local != "gpx" || !IsGpx(n)) {
                notGpx_ = true;
                XML_StopParser(parser_, XML_FALSE);
            }
            return;
        }
        if (!draft_) {
            if (n.local == "wpt" && IsGpx(n)) BeginWaypoint(n, attributes);
            return;
        }
        WaypointDraft& w = *draft_;
        NotePrefixes(w, n, attributes);
        field_ = Field::None;
        const int level = depth_ - w.depth;
        if (level == 1 && IsGpx(n)) {
            if (n.local == "name") field_ = Field::Code;
            else if (n.local == "desc") field_ = Field::Desc;
            else if (n.local == "urlname") field_ = Field::UrlName;
            else if (n.local == "type") field_ = Field::GpxType;
        } else if (level == 2 && IsGpx(n) && n.local == "text") {
            field_ = Field::LinkText;  // <link><text> of GPX 1.1
        } else if (n.space == Space::Cache && n.local == "cache" && w.cacheDepth == 0) {
            w.cacheDepth = depth_;
            for (const XML_Char** a = attributes; a[0]; a += 2) {
                const Name attribute = SplitName(a[0]);
                if (attribute.local == "available" && EqualsNoCase(Trimmed(a[1]), "false")) w.available = false;
                if (attribute.local == "archived" && EqualsNoCase(Trimmed(a[1]), "true")) w.available = false;
            }
        } else if (n.space == Space::Cache && w.cacheDepth > 0 && depth_ == w.cacheDepth + 1) {
            if (n.local == "name") field_ = Field::CacheName;
            else if (n.local == "type") field_ = Field::CacheType;
            else if (n.local == "difficulty") field_ = Field::Difficulty;
            else if (n.local == "terrain") field_ = Field::Terrain;
        }
        text_.clear();
    }

    void End(const Name&)
    {
        if (draft_) {
            WaypointDraft& w = *draft_;
            if (field_ != Field::None) StoreField(w);
            field_ = Field::None;
            if (depth_ == w.depth) EndWaypoint();
        }
        --depth_;
    }

    void BeginWaypoint(const Name& n, const XML_Char** attributes)
    {
        draft_.emplace();
        WaypointDraft& w = *draft_;
        w.depth = depth_;
        w.begin = XML_GetCurrentByteIndex(parser_);
        w.inGpx10 = n.space == Space::None || n.uri == Gpx10Namespace;
        NotePrefixes(w, n, attributes);
        for (const XML_Char** a = attributes; a[0]; a += 2) {
            const std::string_view key(a[0]);
            if (key == "lat") w.lat = Number(a[1]);
            else if (key == "lon") w.lon = Number(a[1]);
        }
    }

    static void NotePrefixes(WaypointDraft& w, const Name& n, const XML_Char** attributes)
    {
        if (!n.prefix.empty()) w.prefixes.emplace(n.prefix);
        for (const XML_Char** a = attributes; a[0]; a += 2)
            if (const Name attribute = SplitName(a[0]); !attribute.prefix.empty()) w.prefixes.emplace(attribute.prefix);
    }

    void StoreField(WaypointDraft& w)
    {
        std::string value(Trimmed(text_));
        switch (field_) {
        case Field::Code: w.code = std::move(value); break;
        case Field::Desc: w.desc = std::move(value); break;
        case Field::UrlName: w.urlName = std::move(value); break;
        case Field::LinkText: w.linkText = std::move(value); break;
        case Field::GpxType: w.gpxType = std::move(value); break;
        case Field::CacheName: w.cacheName = std::move(value); break;
        case Field::CacheType: w.cacheType = std::move(value); break;
        case Field::Difficulty: w.difficulty = std::move(value); break;
        case Field::Terrain: w.terrain = std::move(value); break;
        case Field::None: break;
        }
        text_.clear();
    }

    void EndWaypoint()
    {
        WaypointDraft w = std::move(*draft_);
        draft_.reset();
        if (stopped_) return;  // the parser may still report what it had begun
        const bool cacheType = w.gpxType.starts_with("Geocache") || w.gpxType.starts_with("geocache");
        const bool looksLikeCache = w.cacheDepth > 0 || cacheType || (w.gpxType.empty() && w.code.starts_with("GC"));
        if (!looksLikeCache || w.code.empty()) return;
        if (!w.lat || !w.lon || std::abs(*w.lat) > 90 || std::abs(*w.lon) > 180) {
            ++withoutPoint_;
            return;
        }

        Candidate c;
        c.Code = w.code;
        for (char& ch : c.Code) ch = AsciiUpper(ch);
        c.Point = {*w.lat, *w.lon};
        c.Name = !w.cacheName.empty()  ? w.cacheName
                 : !w.urlName.empty()  ? w.urlName
                 : !w.linkText.empty() ? w.linkText
                                       : w.desc;
        if (!w.cacheType.empty()) c.Type = w.cacheType;
        else if (const std::size_t bar = w.gpxType.find('|'); bar != std::string::npos)
            c.Type = w.gpxType.substr(bar + 1);
        c.Difficulty = Number(w.difficulty).value_or(0.0);
        c.Terrain = Number(w.terrain).value_or(0.0);
        if (w.cacheDepth == 0) {
            ReadRatingsFromDesc(w.desc, c);
            c.Name = WithoutDescTail(c.Name);
        }
        c.Available = w.available;
        c.SourceFile = fileName_;
        if (w.cacheDepth > 0 && w.inGpx10 && copyable_) {
            const long long end = XML_GetCurrentByteIndex(parser_) + XML_GetCurrentByteCount(parser_);
            if (w.begin >= 0 && end > w.begin && static_cast<std::size_t>(end) <= bytes_.size()) {
                c.Waypoint.assign(
                    bytes_.substr(static_cast<std::size_t>(w.begin), static_cast<std::size_t>(end - w.begin)));
                c.OuterNamespaces = OuterPrefixes(w);
            }
        }
        if (!take_(std::move(c))) {
            stopped_ = true;
            XML_StopParser(parser_, XML_FALSE);
        }
    }

    // Exports without the extension write "Name by Owner, Type (D/T)" as the description.
    static void ReadRatingsFromDesc(std::string_view desc, Candidate& c)
    {
        desc = Trimmed(desc);
        if (!desc.ends_with(')')) return;
        const std::size_t open = desc.rfind('(');
        const std::size_t slash = desc.rfind('/');
        if (open == std::string_view::npos || slash == std::string_view::npos || slash < open) return;
        const auto d = Number(desc.substr(open + 1, slash - open - 1));
        const auto t = Number(desc.substr(slash + 1, desc.size() - slash - 2));
        if (d && t && *d >= 1 && *d <= 5 && *t >= 1 && *t <= 5) {
            c.Difficulty = *d;
            c.Terrain = *t;
        }
    }

    // "Name by Owner, Type (D/T)" as such exports write it, down to the name;
    // any other text as it is.
    static std::string WithoutDescTail(const std::string& text)
    {
        Candidate ratings;
        ReadRatingsFromDesc(text, ratings);
        if (ratings.Difficulty == 0) return text;
        const std::string_view head = Trimmed(std::string_view(text).substr(0, text.rfind('(')));
        const std::size_t comma = head.rfind(", ");
        if (comma == std::string_view::npos) return text;
        const std::size_t by = head.substr(0, comma).rfind(" by ");
        if (by == std::string_view::npos || by == 0) return text;
        return std::string(head.substr(0, by));
    }

    // The namespaces declared outside the waypoint that names inside it use,
    // in the order the document declares them. Bindings inside the element
    // have ended by now; one on the element itself travels with it.
    std::vector<std::pair<std::string, std::string>> OuterPrefixes(const WaypointDraft& w) const
    {
        std::vector<std::pair<const Binding*, const std::string*>> used;
        for (const std::string& prefix : w.prefixes) {
            const auto found = bindings_.find(prefix);
            if (found == bindings_.end() || found->second.back().depth >= w.depth) continue;
            used.emplace_back(&found->second.back(), &prefix);
        }
        std::sort(used.begin(), used.end(),
                  [](const auto& a, const auto& b) { return a.first->order < b.first->order; });
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& [binding, prefix] : used) out.emplace_back(*prefix, binding->uri);
        return out;
    }

    std::string_view bytes_;
    const std::string& fileName_;
    const CandidateSink& take_;
    XML_Parser parser_ = nullptr;
    int depth_ = 0;
    bool notGpx_ = false;
    bool stopped_ = false;  // the sink wanted no more
    bool copyable_ = true;
    std::unordered_map<std::string, std::vector<Binding>> bindings_;  // by prefix
    std::size_t declarations_ = 0;
    std::optional<WaypointDraft> draft_;
    Field field_ = Field::None;
    std::string text_;
    std::size_t withoutPoint_ = 0;
};

}  // namespace

std::size_t ReadCandidateGpx(std::string_view bytes, const std::string& fileName, const CandidateSink& take)
{
    if (bytes.size() > MaxCandidateFileBytes)
        throw UserError("Die Datei \"" + fileName + "\" ist zu groß für eine Suchliste: höchstens " +
                        std::to_string(MaxCandidateFileBytes >> 20) + " MiB sind möglich.");
    return Reader(bytes, fileName, take).Read();
}

std::vector<Candidate> ReadCandidateGpx(std::string_view bytes, const std::string& fileName)
{
    std::vector<Candidate> caches;
    ReadCandidateGpx(bytes, fileName, [&](Candidate&& c) {
        caches.push_back(std::move(c));
        return true;
    });
    return caches;
}

std::string RatingText(double rating)
{
    if (!(rating > 0)) return "-";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%g", rating);
    return buf;
}

}  // namespace ql
