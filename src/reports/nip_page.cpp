#include "reports/nip_page.h"

#include "state/app_state.h"
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

std::vector<std::string> BuildNipPageLines(const std::vector<TNIPDatum>& list,
                                           const std::vector<std::string>& placemarkFiles,
                                           const std::string& tempDir)
{
    std::vector<std::string> lines(std::begin(PageHead), std::end(PageHead));

    // The placemark folder is the same for every row; the page is ANSI text.
    const std::string placemarkFolder = EscapeMarkup(platform::Utf8ToAnsi(tempDir));

    std::string table = "<table>";
    table += HeaderRow;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i >= placemarkFiles.size()) ThrowIndexError(static_cast<long long>(i));
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
        AppendLinkCell(table,
                       "file://" + placemarkFolder + EscapeMarkup(platform::Utf8ToAnsi(placemarkFiles[i])),
                       code);
        table += "</tr>";
    }
    table += "</table>";
    lines.push_back(std::move(table));

    lines.insert(lines.end(), std::begin(PageTail), std::end(PageTail));
    return lines;
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

std::string NipPagePath(const AppState& state)
{
    return state.ProgramDir + std::string(NipPageFileName);
}

void WriteNipPage(const AppState& state, std::vector<std::string>& lines)
{
    lines.clear();
    lines = BuildNipPageLines(state.NIPList, state.PlacemarkFiles, state.TempDir);
    platform::WriteWholeFile(NipPagePath(state), JoinPageLines(lines));
}

}  // namespace ql
