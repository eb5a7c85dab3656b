#include "reports/nip_page.h"

#include "state/app_state.h"
#include "base/query_limits.h"
#include "base/user_error.h"
#include "reports/web_hosts.h"
#include "platform/platform.h"
#include "reports/markup.h"

namespace ql {

namespace {

constexpr std::string_view PageHead[] = {
    "<!DOCTYPE html>",
    "<html>",
    "<head>",
    "<title>Tessaro</title>",
    "<link href=\"rlp.css\" rel=\"stylesheet\" type=\"text/css\" />",
    "</head>",
    "<body>",
    "<div class=\"ausgabe\">",
    "<h1>Quenlorn - Caches nicht im Polygon!</h1>",
    "</div>",
};

constexpr std::string_view PageTail[] = {
    "</body>",
    "</html>",
};

constexpr std::string_view HeaderRow =
    "<tr><th>GCNummer</th><th>Cachename</th><th>Cachetyp</th><th>Koordinaten</th><th>GoogleEarth</th></tr>";

void AppendLinkCell(std::string& row, std::string_view address, std::string_view text)
{
    row += "<td><a class=\"linkgc\" href=\"";
    row += address;
    row += "\">";
    row += text;
    row += "</a></td>";
}

void AppendCell(std::string& row, std::string_view text)
{
    row += "<td>";
    row += text;
    row += "</td>";
}

}  // namespace

std::string EscapeMarkup(std::string_view text)
{
    return ReplaceMarkup(text, {.Ampersand = {}, .Less = "&lt;", .Greater = "&gt;", .Quote = "&quot;"});
}

std::string FileUrl(std::string_view path)
{
    // Unreserved characters and the separators stay; every other byte of the
    // UTF-8 path is percent-encoded, so the address is plain ASCII whatever
    // the page's code page, and "#", "%" or "?" in a folder name stay part of it.
    constexpr char Hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    const bool drive = path.size() >= 2 && path[1] == ':';  // C:\... on Windows
    if (drive) url += '/';
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '/' || (drive && i == 1)) {
            url += static_cast<char>(c);
        } else if (c == '\\') {
            url += '/';
        } else {
            url += '%';
            url += Hex[c >> 4];
            url += Hex[c & 15];
        }
    }
    return url;
}

std::vector<std::string> BuildNipPageLines(const std::vector<TNIPDatum>& list,
                                           const std::vector<std::string>& placemarkFiles, const std::string& tempDir)
{
    std::vector<std::string> lines(std::begin(PageHead), std::end(PageHead));

    std::string table = "<table>";
    table += HeaderRow;
    for (std::size_t i = 0; i < list.size(); ++i) {
        // Beyond the cap a record has no placemark file: it is listed without link.
        const bool linked = i < placemarkFiles.size();
        if (!linked && i < MaxPlacemarkFiles) ThrowIndexError(static_cast<long long>(i));
        const TNIPDatum& d = list[i];
        const std::string code = EscapeMarkup(d.GCNummer);

        table += "<tr class=\"zeile";
        table += (i % 2 == 0) ? '0' : '1';
        table += "\">";
        AppendLinkCell(table, std::string(ShortLinkBase) + code, code);
        AppendCell(table, EscapeMarkup(d.Cachename));
        AppendCell(table, EscapeMarkup(d.Typ));
        AppendLinkCell(table, std::string(MapServiceBase) + "maps?q=" + EscapeMarkup(d.fKoords) + "&z=14",
                       EscapeMarkup(d.Koords));
        if (linked) AppendLinkCell(table, FileUrl(tempDir + placemarkFiles[i]), code);
        else AppendCell(table, code);
        table += "</tr>";
    }
    table += "</table>";
    if (list.size() > MaxPlacemarkFiles) table += "<p>" + platform::Utf8ToAnsi(PlacemarkCapText()) + "</p>";
    lines.push_back(std::move(table));

    lines.insert(lines.end(), std::begin(PageTail), std::end(PageTail));
    return lines;
}

std::string PlacemarkCapText()
{
    return "Es liegen mehr als " + GroupedNumber(MaxPlacemarkFiles) +
           " Funde außerhalb der Polygone. Placemark-Dateien werden nur für die ersten " +
           GroupedNumber(MaxPlacemarkFiles) + " geschrieben; die übrigen stehen ohne GoogleEarth-Link in der Liste.";
}

std::string JoinPageLines(const std::vector<std::string>& lines)
{
    std::string bytes;
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    bytes.reserve(size);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::string NipPageFolder(const AppState& state)
{
    return state.PageDir.empty() ? state.ProgramDir : state.PageDir;
}

std::string NipPagePath(const AppState& state)
{
    return NipPageFolder(state) + std::string(NipPageFileName);
}

void WriteNipPage(const AppState& state, std::vector<std::string>& lines)
{
    lines.clear();
    lines = BuildNipPageLines(state.NIPList, state.PlacemarkFiles, state.TempDir);
    const std::string folder = NipPageFolder(state);
    const std::string styleSheet = state.ProgramDir + std::string(NipStyleSheetName);
    if (folder != state.ProgramDir && platform::FileExists(styleSheet))
        platform::WriteWholeFile(folder + std::string(NipStyleSheetName), platform::ReadWholeFile(styleSheet));
    platform::WriteWholeFile(NipPagePath(state), JoinPageLines(lines));
}

}  // namespace ql
