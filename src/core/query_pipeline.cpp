#include "core/query_pipeline.h"

#include "base/query_limits.h"
#include "base/user_error.h"
#include "core/app_state.h"
#include "core/scanner.h"
#include "platform/platform.h"

namespace ql {

bool HasZipExtension(std::string_view path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext(path.substr(dot));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".zip";
}

QueryText LoadQueryFile(const std::string& path)
{
    // A file beyond the limit is refused before it is read.
    if (const auto file = platform::OpenReadOnly(path); file && file->Size() > MaxQueryBytes)
        ThrowQueryTooLarge(file->Size());
    // Mapped where the system allows: the text is the file cache itself, no copy.
    return QueryText::FromBuffer(platform::MapWholeFile(path));
}

namespace {
void RemoveAll(std::string& text, std::string_view what)
{
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos))
        text.erase(pos, what.size());
}
}  // namespace

bool IsMyFindsQuery(const QueryText& lines, std::string& queryDate)
{
    if (lines.At(2).find("My Finds Pocket Query") == std::string_view::npos) return false;
    std::string date(lines.At(6));
    RemoveAll(date, "</time>");
    RemoveAll(date, "<time>");
    std::string shown;
    shown.reserve(date.size() + 8);
    for (char c : date) {
        if (c == 'T') shown += " - ";
        else shown += c;
    }
    queryDate = std::move(shown);
    return true;
}

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
}  // namespace

bool EndsWithClosingLine(const QueryText& lines)
{
    for (std::size_t i = lines.Size(); i-- > 0;) {
        std::string_view line = lines.At(i);
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        if (line.empty()) continue;
        return line.ends_with("</gpx>");
    }
    return false;
}

std::string IncompleteQueryText(const std::string& path, std::size_t finds)
{
    return "Die Datei \"" + path + "\" ist unvollständig: Die abschließende Zeile </gpx> fehlt. " +
           (finds == 1 ? std::string("Es wurde 1 Fund gelesen.")
                       : "Es wurden " + std::to_string(finds) + " Funde gelesen.");
}

namespace {
QueryScan ScanLoadedQuery(AppState& state)
{
    QueryScan scan;
    // Nothing loaded yet is no file cut short.
    if (state.QueryLines.Empty() || EndsWithClosingLine(state.QueryLines)) {
        scan.Rows = ScanWaypoints(state);
        return scan;
    }
    try {
        ScanWaypoints(state);
    } catch (const UserError&) {
        // The cut is the cause: the file ended inside a waypoint.
    }
    scan.Rows = static_cast<int>(state.Rows.size());
    scan.Incomplete = IncompleteQueryText(state.QueryFileName, state.Rows.size());
    return scan;
}
}  // namespace

QueryScan ScanQuery(AppState& state)
{
    // A mapped file cut short while it was read leaves zeros in the text:
    // whatever the scan made of them, the message says what happened.
    try {
        QueryScan scan = ScanLoadedQuery(state);
        state.QueryLines.ThrowIfFileChanged();
        return scan;
    } catch (const UserError&) {
        state.QueryLines.ThrowIfFileChanged();
        throw;
    }
}

}  // namespace ql
