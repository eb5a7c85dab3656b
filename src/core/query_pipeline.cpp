#include "core/query_pipeline.h"

#include "base/query_limits.h"
#include "base/user_error.h"
#include "base/utf8.h"
#include "core/app_state.h"
#include "core/nip_page.h"
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
    return QueryText::FromBuffer(platform::ReadWholeFileLarge(path));
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
    // The label shows the date; a damaged line of megabytes shows its start.
    std::string date = ShortenedText(lines.At(6));
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

bool EndsWithClosingLine(const QueryText& lines)
{
    // From the end: a complete query finds its closing line at once.
    for (std::size_t i = lines.Size(); i-- > 0;)
        if (lines.At(i).find("</gpx>") != std::string_view::npos) return true;
    return false;
}

std::string IncompleteQueryText(const std::string& path, std::size_t finds)
{
    return "Die Datei \"" + path + "\" ist unvollständig: Die abschließende Zeile </gpx> fehlt. " +
           (finds == 1 ? std::string("Es wurde 1 Fund gelesen.")
                       : "Es wurden " + std::to_string(finds) + " Funde gelesen.");
}

namespace {
// The cap on placemark files is told the first time a scan reaches it.
void NoticeCap(AppState& state, QueryScan& scan)
{
    if (!state.PlacemarkFilesCapped || state.PlacemarkCapTold) return;
    state.PlacemarkCapTold = true;
    scan.Notice = PlacemarkCapText();
}
}  // namespace

QueryScan ScanQuery(AppState& state)
{
    QueryScan scan;
    // Nothing loaded yet is no file cut short.
    if (state.QueryLines.Empty() || EndsWithClosingLine(state.QueryLines)) {
        scan.Rows = ScanWaypoints(state);
        NoticeCap(state, scan);
        return scan;
    }
    try {
        ScanWaypoints(state);
    } catch (const IndexError& e) {
        // Only a read past the last line is the cut (the file ended inside a
        // waypoint); any other error, a bad coordinate or a full disk, is
        // reported as itself.
        if (e.Index() < static_cast<long long>(state.QueryLines.Size())) throw;
    }
    scan.Rows = static_cast<int>(state.Rows.size());
    scan.Incomplete = IncompleteQueryText(state.QueryFileName, state.Rows.size());
    NoticeCap(state, scan);
    return scan;
}

}  // namespace ql
