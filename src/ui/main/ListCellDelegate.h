#pragma once
// The list's cells drawn as the style draws them. A cell with one plain line
// of text that fits gets the style's background and its text laid out once;
// the style would measure, elide and lay out each text anew, and copy the
// cell's options for its layout cache, most of the first drawing of a scan's
// rows. Every other cell, and every style but Fusion, the style draws itself.

#include <QStyledItemDelegate>

namespace ql::ui {

class ListCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace ql::ui
