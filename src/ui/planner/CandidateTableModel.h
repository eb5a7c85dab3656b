#pragma once
// The candidates of one district as the planner ranks them: code, name,
// type, D/T, border distance, distance from home. Rows nearer the border than
// the threshold are tinted and say why.

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

#include "planner/candidate.h"
#include "planner/plan.h"

namespace ql::ui {

class CandidateTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CodeColumn, NameColumn, TypeColumn, RatingColumn, BorderColumn, HomeColumn, ColumnCount };
    static inline const QColor NearBorderBackground{255, 228, 181};

    using QAbstractTableModel::QAbstractTableModel;

    // The list stays owned by the caller until the next call.
    void setCandidates(const std::vector<Candidate>* caches, const std::vector<RankedCandidate>* ranked);

    // The candidate shown in a row.
    const RankedCandidate& rankedAt(int row) const { return (*ranked_)[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<Candidate>* caches_ = nullptr;
    const std::vector<RankedCandidate>* ranked_ = nullptr;
};

// "D1.5/T2".
QString RatingPair(const Candidate& c);

}  // namespace ql::ui
