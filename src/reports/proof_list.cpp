#include "reports/proof_list.h"

#include "reports/character_references.h"
#include "core/tables.h"

namespace ql {

std::string BuildProofList(const DistrictOverview& overview, const std::vector<CacheRow>& rows, bool cutoffEnabled)
{
    std::string text = "Quenlorn: " + std::to_string(overview.CoveredCount()) + " von " +
                       std::to_string(DistrictCount) + " Kreisen belegt";
    if (cutoffEnabled) {
        text += " (Funde ab ";
        text += CutoffDate;
        text += ')';
    }
    text += '\n';

    std::string missing;
    for (int i = 0; i < DistrictCount; ++i) {
        const DistrictSummary& district = overview.districts[static_cast<std::size_t>(i)];
        const std::string_view name = DistrictNames[static_cast<std::size_t>(i)];
        if (district.finds <= 0) {
            missing += "Fehlt: ";
            missing += name;
            missing += '\n';
            continue;
        }
        // Without a measured find the district's first row stands for it.
        int best = district.bestRow;
        for (std::size_t r = 0; best < 0 && r < overview.finds.size(); ++r)
            if (overview.finds[r].district == i) best = static_cast<int>(r);
        const CacheRow& row = rows.at(static_cast<std::size_t>(best));
        text += name;
        text += ": ";
        text += row.GCCode;
        text += " | ";
        text += DecodeCharacterReferences(row.Name);
        text += " | ";
        text += row.FindDate;
        text += '\n';
    }
    return text + missing;
}

}  // namespace ql
