#pragma once
// The overview window's table: one row per district in district order, with
// numeric sort keys under Qt::UserRole so every column sorts by its value.

#include <QAbstractTableModel>

#include <vector>

#include "districts/district_overview.h"

namespace ql::ui {

class OverviewTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, FindsColumn, BestFindColumn, DateColumn, DistanceColumn, MarkColumn, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // Rows and overview stay owned by the caller.
    void setScan(const std::vector<CacheRow>* rows, const DistrictOverview* overview, double threshold);
    void setThreshold(double metres);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<CacheRow>* rows_ = nullptr;
    const DistrictOverview* overview_ = nullptr;
    double threshold_ = DefaultBorderThreshold;
};

}  // namespace ql::ui
