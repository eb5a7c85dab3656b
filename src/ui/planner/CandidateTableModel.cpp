#include "ui/planner/CandidateTableModel.h"

#include "planner/trip_list.h"
#include "ui/common/Controls.h"

namespace ql::ui {

QString RatingPair(double difficulty, double terrain)
{
    return QStringLiteral("D") + FromUtf8(RatingText(difficulty)) + QStringLiteral("/T") +
           FromUtf8(RatingText(terrain));
}

QString RatingPair(const Candidate& c)
{
    return RatingPair(c.Difficulty, c.Terrain);
}

void CandidateTableModel::setRows(std::vector<PlanRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int CandidateTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CandidateTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CandidateTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const PlanRow& c = rowAt(index.row());
    const RankedCandidate& r = c.rank;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case CodeColumn: return FromUtf8(c.Code);
        case NameColumn: return FromUtf8(c.Name);
        case TypeColumn: return FromUtf8(c.Type);
        case RatingColumn: return RatingPair(c.Difficulty, c.Terrain);
        case BorderColumn: return FromUtf8(MetresText(r.borderMetres));
        case HomeColumn: return FromUtf8(KilometresText(r.homeMetres));
        default: return {};
        }
    }
    if (role == Qt::BackgroundRole && r.nearBorder) return NearBorderBackground;
    if (role == Qt::ToolTipRole) {
        QString tip = FromUtf8(c.Code + " " + c.Name) + QStringLiteral("\nAus ") + FromUtf8(c.SourceFile);
        if (!c.Available) tip += QStringLiteral("\nNicht verfügbar oder archiviert");
        if (r.nearBorder) tip += QStringLiteral("\nNahe der Grenze: zählt womöglich nicht");
        return tip;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == BorderColumn || index.column() == HomeColumn))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CandidateTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case CodeColumn: return QStringLiteral("GC-Code");
    case NameColumn: return QStringLiteral("Name");
    case TypeColumn: return QStringLiteral("Typ");
    case RatingColumn: return QStringLiteral("D/T");
    case BorderColumn: return QStringLiteral("Zur Grenze");
    case HomeColumn: return QStringLiteral("Von zu Hause");
    default: return {};
    }
}

}  // namespace ql::ui
