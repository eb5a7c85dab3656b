#include "reports/proof_list.h"

#include <algorithm>
#include <cmath>

#include "base/ascii.h"
#include "reports/character_references.h"
#include "core/tables.h"
#include "reports/web_hosts.h"

namespace ql {

namespace {

// Find dates are written "YYYY-MM-DD": their order is the order of the texts.
bool FromCutoff(const CacheRow& row)
{
    return row.FindDate >= CutoffDate;
}

// An unknown distance (no place) is never farther than a measured one.
bool Farther(double metres, double than)
{
    if (!std::isfinite(than)) return std::isfinite(metres);
    return std::isfinite(metres) && metres > than;
}

std::string WholeMetres(double metres)
{
    return std::to_string(std::lround(metres)) + " m";
}

std::string DecimalMetres(double metres)
{
    if (!std::isfinite(metres)) return {};
    std::string text = std::to_string(std::llround(metres * 10.0));
    if (text.size() < 2) text.insert(0, 1, '0');
    text.insert(text.size() - 1, 1, ',');
    return text;
}

// A field a spreadsheet would take for a formula (a name "=HYPERLINK(...)",
// "@SUM(...)", "-1+1") starts with an apostrophe, which the spreadsheet shows
// as text; a field with the separator, a quote or a line break is quoted.
std::string CsvField(std::string_view value)
{
    std::string field;
    if (!value.empty() && std::string_view("=+-@\t\r").find(value.front()) != std::string_view::npos) field = "'";
    field += value;
    if (field.find_first_of(";\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// A value on one line of the text or BBCode list: every control character
// (line feed, carriage return, tab, form feed, the C1 controls with U+0085)
// and the line and paragraph separators U+2028 and U+2029 become a blank, so
// a name cannot start a line of its own that reads like a district's.
std::string OneLine(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        const auto next = i + 1 < value.size() ? static_cast<unsigned char>(value[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            out += ' ';  // U+0080 to U+009F
            ++i;
        } else if (c == 0xE2 && next == 0x80 && i + 2 < value.size() &&
                   (value[i + 2] == '\xA8' || value[i + 2] == '\xA9')) {
            out += ' ';  // U+2028, U+2029
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// A code as it appears in every format and in its link: letters and digits
// as they are, any other byte as "%" and two hex digits, as an address writes
// it. A crafted code ("GC1[/url]", "=1+1", "GC1 | x") then neither closes a
// BBCode tag nor starts a formula nor forges a column, and its link still
// names exactly the code the query gave.
std::string SafeCode(std::string_view code)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : code) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 0xF];
        }
    }
    return out;
}

// A cache name must not open or close a tag of the log.
std::string BBCodeText(std::string text)
{
    for (char& c : text) {
        if (c == '[') c = '(';
        else if (c == ']') c = ')';
    }
    return text;
}

std::string Link(const CacheRow& row)
{
    return std::string(ShortLinkBase) + SafeCode(row.GCCode);
}

// A next-best find helps a checker only where it counts without doubt.
std::string NearBorderNote(const ProofEntry& entry, const std::vector<CacheRow>& rows, double thresholdMetres)
{
    std::string note = "randnah, " + WholeMetres(entry.metres);
    if (entry.nextRow >= 0 && std::isfinite(entry.nextMetres) && entry.nextMetres >= thresholdMetres)
        note += "; nächstbester Fund: " + SafeCode(rows[static_cast<std::size_t>(entry.nextRow)].GCCode) + ", " +
                WholeMetres(entry.nextMetres);
    else note += "; kein Fund weiter innen";
    return note;
}

}  // namespace

std::vector<ProofEntry> ChooseProofFinds(const DistrictOverview& overview, const std::vector<CacheRow>& rows,
                                         double thresholdMetres, const DistrictTallyArray& cutOff)
{
    std::vector<ProofEntry> entries(static_cast<std::size_t>(DistrictCount));
    std::vector<bool> earlier(static_cast<std::size_t>(DistrictCount), false);
    const std::size_t count = std::min(overview.finds.size(), rows.size());
    for (std::size_t r = 0; r < count; ++r) {
        const int district = overview.finds[r].district;
        if (district < 0 || district >= DistrictCount) continue;
        if (!FromCutoff(rows[r])) {
            earlier[static_cast<std::size_t>(district)] = true;
            continue;
        }
        ProofEntry& entry = entries[static_cast<std::size_t>(district)];
        const double metres = overview.finds[r].borderMetres;
        const int row = static_cast<int>(r);
        if (entry.row < 0 || Farther(metres, entry.metres)) {
            entry.nextRow = entry.row;
            entry.nextMetres = entry.metres;
            entry.row = row;
            entry.metres = metres;
        } else if (entry.nextRow < 0 || Farther(metres, entry.nextMetres)) {
            entry.nextRow = row;
            entry.nextMetres = metres;
        }
    }
    for (std::size_t d = 0; d < entries.size(); ++d) {
        ProofEntry& entry = entries[d];
        entry.nearBorder = entry.row >= 0 && std::isfinite(entry.metres) && entry.metres < thresholdMetres;
        if (!entry.nearBorder) entry.nextRow = -1, entry.nextMetres = NoDistance;
        entry.onlyEarlier = entry.row < 0 && (earlier[d] || cutOff[d] > 0);
    }
    return entries;
}

std::string BuildProofList(const DistrictOverview& overview, const std::vector<CacheRow>& rows, double thresholdMetres,
                           ProofFormat format, const DistrictTallyArray& cutOff)
{
    const std::vector<ProofEntry> entries = ChooseProofFinds(overview, rows, thresholdMetres, cutOff);
    const std::string cutoff(CutoffDate);

    if (format == ProofFormat::Csv) {
        std::string text = "Kreis;Code;Name;Funddatum (Funde ab " + cutoff + ");Abstand zum Rand (m);Link;Hinweis\r\n";
        for (int d = 0; d < DistrictCount; ++d) {
            const ProofEntry& entry = entries[static_cast<std::size_t>(d)];
            text += CsvField(DistrictNames[static_cast<std::size_t>(d)]);
            if (entry.row < 0) {
                text += entry.onlyEarlier ? ";;;;;;fehlt (nur Funde vor " + cutoff + ")\r\n" : ";;;;;;fehlt\r\n";
                continue;
            }
            const CacheRow& row = rows[static_cast<std::size_t>(entry.row)];
            text += ';' + CsvField(SafeCode(row.GCCode)) + ';' + CsvField(DecodeCharacterReferences(row.Name)) + ';' +
                    CsvField(row.FindDate) + ';' + DecimalMetres(entry.metres) + ';' + CsvField(Link(row)) + ';' +
                    (entry.nearBorder ? CsvField(NearBorderNote(entry, rows, thresholdMetres)) : std::string()) +
                    "\r\n";
        }
        return text;
    }

    const bool bb = format == ProofFormat::BBCode;
    int covered = 0;
    for (const ProofEntry& entry : entries) covered += entry.row >= 0;
    std::string head = "Quenlorn: " + std::to_string(covered) + " von " + std::to_string(DistrictCount) +
                       " Kreisen belegt (Funde ab " + cutoff + ")";
    std::string text = bb ? "[b]" + head + "[/b]\n" : head + '\n';
    std::string missing;
    for (int d = 0; d < DistrictCount; ++d) {
        const ProofEntry& entry = entries[static_cast<std::size_t>(d)];
        const std::string_view name = DistrictNames[static_cast<std::size_t>(d)];
        if (entry.row < 0) {
            missing += "Fehlt: ";
            missing += name;
            if (entry.onlyEarlier) missing += " (nur Funde vor " + cutoff + ")";
            missing += '\n';
            continue;
        }
        const CacheRow& row = rows[static_cast<std::size_t>(entry.row)];
        const std::string cacheName = OneLine(DecodeCharacterReferences(row.Name));
        const std::string code = SafeCode(row.GCCode), date = OneLine(row.FindDate);
        text += name;
        text += ": ";
        if (bb)
            text += "[url=" + Link(row) + "]" + code + "[/url] | " + BBCodeText(cacheName) + " | " + BBCodeText(date);
        else text += code + " | " + cacheName + " | " + date + " | " + Link(row);
        if (entry.nearBorder) text += " | " + NearBorderNote(entry, rows, thresholdMetres);
        text += '\n';
    }
    return text + missing;
}

ProofFormat ProofFormatOfFileName(std::string_view fileName)
{
    const auto endsWith = [&](std::string_view suffix) {
        if (fileName.size() < suffix.size()) return false;
        const std::string_view tail = fileName.substr(fileName.size() - suffix.size());
        for (std::size_t i = 0; i < suffix.size(); ++i)
            if (AsciiLower(tail[i]) != suffix[i]) return false;
        return true;
    };
    if (endsWith(".csv")) return ProofFormat::Csv;
    if (endsWith(".bbcode") || endsWith(".bb")) return ProofFormat::BBCode;
    return ProofFormat::Text;
}

std::string DatedFileName(std::string_view stem, std::string_view queryDate, std::string_view extension)
{
    std::string name(stem);
    const std::size_t start = std::min(queryDate.find_first_not_of(" \t"), queryDate.size());
    const std::string_view date = queryDate.substr(start, std::min<std::size_t>(10, queryDate.size() - start));
    bool isDate = date.size() == 10;
    for (std::size_t i = 0; isDate && i < date.size(); ++i)
        isDate = (i == 4 || i == 7) ? date[i] == '-' : (date[i] >= '0' && date[i] <= '9');
    if (isDate) name += " " + std::string(date);
    return name + std::string(extension);
}

std::string ProofFileName(std::string_view queryDate, ProofFormat format)
{
    switch (format) {
    case ProofFormat::Text: break;
    case ProofFormat::BBCode: return DatedFileName("Nachweisliste", queryDate, ".bbcode");
    case ProofFormat::Csv: return DatedFileName("Nachweisliste", queryDate, ".csv");
    }
    return DatedFileName("Nachweisliste", queryDate, ".txt");
}

std::string ProofListFile(std::string text, ProofFormat format)
{
    if (format == ProofFormat::Csv) text.insert(0, "\xEF\xBB\xBF");
    return text;
}

std::string_view ProofFormatName(ProofFormat format)
{
    switch (format) {
    case ProofFormat::Text: return "Text";
    case ProofFormat::BBCode: return "BBCode";
    case ProofFormat::Csv: return "CSV";
    }
    return "Text";
}

}  // namespace ql
