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

std::string CsvField(std::string_view value)
{
    if (value.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(value);
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
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
    return std::string(ShortLinkBase) + row.GCCode;
}

// A next-best find helps a checker only where it counts without doubt.
std::string NearBorderNote(const ProofEntry& entry, const std::vector<CacheRow>& rows, double thresholdMetres)
{
    std::string note = "randnah, " + WholeMetres(entry.metres);
    if (entry.nextRow >= 0 && std::isfinite(entry.nextMetres) && entry.nextMetres >= thresholdMetres)
        note += "; nächstbester Fund: " + rows[static_cast<std::size_t>(entry.nextRow)].GCCode + ", " +
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
        std::string text = "Kreis;Code;Name;Funddatum (Funde ab " + cutoff + ");Abstand zum Rand (m);Link;Hinweis\n";
        for (int d = 0; d < DistrictCount; ++d) {
            const ProofEntry& entry = entries[static_cast<std::size_t>(d)];
            text += CsvField(DistrictNames[static_cast<std::size_t>(d)]);
            if (entry.row < 0) {
                text += entry.onlyEarlier ? ";;;;;;fehlt (nur Funde vor " + cutoff + ")\n" : ";;;;;;fehlt\n";
                continue;
            }
            const CacheRow& row = rows[static_cast<std::size_t>(entry.row)];
            text += ';' + CsvField(row.GCCode) + ';' + CsvField(DecodeCharacterReferences(row.Name)) + ';' +
                    CsvField(row.FindDate) + ';' + DecimalMetres(entry.metres) + ';' + CsvField(Link(row)) + ';' +
                    (entry.nearBorder ? CsvField(NearBorderNote(entry, rows, thresholdMetres)) : std::string()) + '\n';
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
        const std::string cacheName = DecodeCharacterReferences(row.Name);
        text += name;
        text += ": ";
        if (bb)
            text += "[url=" + Link(row) + "]" + row.GCCode + "[/url] | " + BBCodeText(cacheName) + " | " + row.FindDate;
        else text += row.GCCode + " | " + cacheName + " | " + row.FindDate + " | " + Link(row);
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
