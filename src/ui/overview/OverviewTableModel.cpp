#include "ui/overview/OverviewTableModel.h"

#include <QColor>

#include <cmath>

#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"

namespace ql::ui {

namespace {

const QColor CoveredText(0, 128, 0);       // as the tally window
const QColor NearBorderText(200, 110, 0);
const QColor UncoveredText(255, 0, 0);

}  // namespace

void OverviewTableModel::setScan(const std::vector<CacheRow>* rows, const DistrictOverview* overview, double threshold)
{
    beginResetModel();
    rows_ = rows;
    overview_ = overview;
    threshold_ = threshold;
    endResetModel();
}

void OverviewTableModel::setThreshold(double metres)
{
    threshold_ = metres;
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int OverviewTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DistrictCount;
}

int OverviewTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OverviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case NameColumn: return QStringLiteral("Kreis");
    case FindsColumn: return QStringLiteral("Funde");
    case BestFindColumn: return QStringLiteral("Bester Fund");
    case DateColumn: return QStringLiteral("Funddatum");
    case DistanceColumn: return QStringLiteral("Randabstand (m)");
    case MarkColumn: return QStringLiteral("Randnah");
    default: return {};
    }
}

QVariant OverviewTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= DistrictCount) return {};
    const int district = index.row();
    const DistrictSummary empty;
    const DistrictSummary& summary = overview_ ? overview_->districts[static_cast<std::size_t>(district)] : empty;
    const CacheRow* best = summary.bestRow >= 0 && rows_ && static_cast<std::size_t>(summary.bestRow) < rows_->size()
                               ? &(*rows_)[static_cast<std::size_t>(summary.bestRow)]
                               : nullptr;
    const bool measured = best && std::isfinite(summary.bestMetres);
    const Coverage coverage = overview_ ? overview_->CoverageOf(district, threshold_) : Coverage::Uncovered;

    if (role == Qt::ForegroundRole && index.column() == NameColumn) {
        if (coverage == Coverage::Covered) return CoveredText;
        return coverage == Coverage::NearBorder ? NearBorderText : UncoveredText;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == FindsColumn || index.column() == DistanceColumn))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != SortRole) return {};

    const bool sort = role == SortRole;
    switch (index.column()) {
    case NameColumn:
        return sort ? QVariant(district) : QVariant(FromUtf8(DistrictNames[static_cast<std::size_t>(district)]));
    case FindsColumn: return summary.finds;
    case BestFindColumn: return best ? FromUtf8(best->GCCode) : QString();
    case DateColumn: return best ? FromUtf8(best->FindDate) : QString();
    case DistanceColumn:
        if (sort) return measured ? summary.bestMetres : -1.0;
        return measured ? MetresText(summary.bestMetres) : QString();
    case MarkColumn:
        if (sort) return coverage == Coverage::NearBorder ? 1 : 0;
        return coverage == Coverage::NearBorder ? QStringLiteral("unter ") + QString::number(threshold_, 'f', 0) +
                                                      QStringLiteral(" m")
                                                : QString();
    default: return {};
    }
}

}  // namespace ql::ui
