#pragma once
// The candidates of one district as the planner ranks them: code, name,
// type, D/T, border distance, distance from home. Rows nearer the border than
// the threshold are tinted and say why. The model holds its own copy of the
// rows; the panel replaces it whole (a model reset) after every change of the
// planner.

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

#include "planner/candidate.h"
#include "planner/planner_session.h"

namespace ql::ui {

class CandidateTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CodeColumn, NameColumn, TypeColumn, RatingColumn, BorderColumn, HomeColumn, ColumnCount };
    static inline const QColor NearBorderBackground{255, 228, 181};

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<PlanRow> rows);

    // The candidate shown in a row.
    const PlanRow& rowAt(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    const RankedCandidate& rankedAt(int row) const { return rowAt(row).rank; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<PlanRow> rows_;
};

// "D1.5/T2".
QString RatingPair(double difficulty, double terrain);
QString RatingPair(const Candidate& c);

}  // namespace ql::ui
