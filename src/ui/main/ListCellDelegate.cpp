#include "ui/main/ListCellDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QWidget>

namespace ql::ui {

namespace {
// A cell whose drawing is the style's with one text of one line: everything
// else (pictures, checks, the focus, wrapped texts, other styles) is left to
// the style.
bool PlainCell(const QStyleOptionViewItem& option, const QStyle* style)
{
    constexpr auto Special =
        QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
    if (option.features & Special || !(option.features & QStyleOptionViewItem::HasDisplay)) return false;
    if (option.text.isEmpty() || option.state & (QStyle::State_HasFocus | QStyle::State_Editing)) return false;
    if (!option.showDecorationSelected || option.direction != Qt::LeftToRight) return false;
    if (option.displayAlignment != (Qt::AlignLeft | Qt::AlignVCenter)) return false;
    for (const QChar c : option.text)
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) return false;
    return style->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}
}  // namespace

void ListCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The text as the style places it: inside the focus margins, one line,
    // centred in height.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
    QTextLayout layout;
    bool fits = PlainCell(cell, style);
    if (fits) {
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::ManualWrap);
        textOption.setTextDirection(cell.direction);
        textOption.setAlignment(QStyle::visualAlignment(cell.direction, cell.displayAlignment));
        layout.setText(cell.text);
        layout.setFont(cell.font);
        layout.setTextOption(textOption);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
        fits = line.textLength() == cell.text.size() && line.naturalTextWidth() <= textRect.width();
        layout.endLayout();
    }
    if (!fits) {
        // The style's own drawing, which also cuts a text too wide short.
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        return;
    }
    QPalette::ColorGroup group = cell.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(cell.state & QStyle::State_Active)) group = QPalette::Inactive;
    const QRect layoutRect =
        QStyle::alignedRect(Qt::LeftToRight, cell.displayAlignment, layout.boundingRect().size().toSize(), textRect);
    painter->save();
    painter->setClipRect(cell.rect, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);  // background and selection
    painter->setPen(
        cell.palette.color(group, cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(textRect.x(), layoutRect.top()));
    painter->restore();
}

}  // namespace ql::ui
