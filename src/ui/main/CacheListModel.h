#pragma once
// The result list: a table model over the scan's rows (virtual rows, so a
// hundred thousand finds show at once). Rows stay in query order.

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>

#include <vector>

#include "core/records.h"

namespace ql::ui {

class CacheListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColGCNummer, ColType, ColName, ColD, ColT, ColDatum, ColKreis, ColLat, ColLon, ColumnCount };

    explicit CacheListModel(const std::vector<CacheRow>& rows, QObject* parent = nullptr);

    // Re-reads the row vector after a scan (or a failed one).
    void refresh();

    const CacheRow& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

    // Background of a row: white for even positions, the light green for odd ones.
    static QColor rowBackground(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<CacheRow>& rows_;
    int shownRows_ = 0;
};

}  // namespace ql::ui
