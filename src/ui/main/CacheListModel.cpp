#include "ui/main/CacheListModel.h"

#include "core/tables.h"
#include "ui/common/Controls.h"
#include "ui/common/Icons.h"

namespace ql::ui {

namespace {
// Header texts in column order; column 1 shows the first cache-type picture instead.
const char* const HeaderTexts[CacheListModel::ColumnCount] = {
    "GC-Nummer", "", "Name", "D", "T", "Datum", "Land-/Stadtkreis", "Lat", "Lon",
};
}  // namespace

CacheListModel::CacheListModel(const std::vector<CacheRow>& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows)
{
}

void CacheListModel::refresh()
{
    beginResetModel();
    shownRows_ = static_cast<int>(rows_.size());
    endResetModel();
}

QColor CacheListModel::rowBackground(int row)
{
    const std::uint32_t bgr = AltRowColor;  // stored as blue, green, red
    const QColor alt(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return row % 2 ? alt : QColor(Qt::white);
}

int CacheListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownRows_;
}

int CacheListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CacheListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shownRows_) return {};
    const CacheRow& r = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case ColGCNummer: return FromUtf8(r.GCCode);
        case ColName: return FromUtf8(r.Name);
        case ColD: return FromUtf8(r.Difficulty);
        case ColT: return FromUtf8(r.Terrain);
        case ColDatum: return FromUtf8(r.FindDate);
        case ColKreis: return FromUtf8(r.District);
        case ColLat: return FromUtf8(r.LatText);
        case ColLon: return FromUtf8(r.LonText);
        default: return QString();
        }
    case Qt::DecorationRole:
        if (index.column() == ColGCNummer && r.NotInPolygon) return CacheTypeIcon(NotInPolygonIcon);
        if (index.column() == ColType && r.TypeIndex >= 0) return CacheTypeIcon(r.TypeIndex);
        return {};
    case Qt::BackgroundRole:
        return rowBackground(index.row());
    default:
        return {};
    }
}

QVariant CacheListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(HeaderTexts[section]);
    if (role == Qt::DecorationRole && section == ColType) return CacheTypeIcon(0);
    return {};
}

}  // namespace ql::ui
