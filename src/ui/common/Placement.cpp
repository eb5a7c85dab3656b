#include "ui/common/Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ql::ui {

double DesignScale()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi / 120.0;
}

int Scaled(int designPixels)
{
    return static_cast<int>(std::lround(designPixels * DesignScale()));
}

QSize ScaledSize(int designWidth, int designHeight)
{
    return {Scaled(designWidth), Scaled(designHeight)};
}

QFont DesignFont(int designPixelHeight, bool bold, const QString& family)
{
    QFont font(family);
    font.setPixelSize(std::max(1, Scaled(designPixelHeight)));
    font.setBold(bold);
    return font;
}

void Placement::apply(std::initializer_list<DesignRow> table)
{
    apply(table.begin(), table.size());
}

void Placement::apply(const DesignRow* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const DesignRow& row = rows[i];
        auto* w = root_->findChild<QWidget*>(QString::fromLatin1(row.name));
        if (!w)
            throw std::logic_error("design row \"" + std::string(row.name) + "\" names no control of " +
                                   root_->objectName().toStdString());
        if (row.width == 0 || row.height == 0) w->adjustSize();
        const QRect rect(Scaled(row.left), Scaled(row.top), row.width ? Scaled(row.width) : w->width(),
                         row.height ? Scaled(row.height) : w->height());
        w->setGeometry(rect);
        QWidget* parent = w->parentWidget();
        placed_.push_back({w, row.anchors, rect, designSizeOf(parent)});
        if (parent && std::find(parents_.begin(), parents_.end(), parent) == parents_.end()) {
            parents_.push_back(parent);
            parent->installEventFilter(this);
        }
    }
}

QSize Placement::designSizeOf(QWidget* parent) const
{
    if (parent == root_) return rootDesign_;
    for (const Placed& p : placed_)
        if (p.widget == parent) return p.start.size();
    return parent ? parent->size() : QSize();
}

bool Placement::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) relayout(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

void Placement::relayout(QWidget* parent)
{
    for (const Placed& p : placed_) {
        if (p.widget->parentWidget() != parent || !p.parentStart.isValid()) continue;
        const int dx = parent->width() - p.parentStart.width();
        const int dy = parent->height() - p.parentStart.height();
        QRect r = p.start;
        const bool left = p.anchors & AnchorLeft, right = p.anchors & AnchorRight;
        const bool top = p.anchors & AnchorTop, bottom = p.anchors & AnchorBottom;
        if (left && right) r.setWidth(p.start.width() + dx);
        else if (right) r.moveLeft(p.start.left() + dx);
        if (top && bottom) r.setHeight(p.start.height() + dy);
        else if (bottom) r.moveTop(p.start.top() + dy);
        p.widget->setGeometry(r);
    }
}

}  // namespace ql::ui
