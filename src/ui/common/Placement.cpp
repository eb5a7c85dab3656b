#include "ui/common/Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

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

void Placement::moveRootTo(QWidget* content)
{
    for (Placed& p : placed_)
        if (p.widget->parentWidget() == content) p.parentStart = rootDesign_;
    rootDesign_ = content->size();
    root_ = content;
    if (std::find(parents_.begin(), parents_.end(), content) == parents_.end()) {
        parents_.push_back(content);
        content->installEventFilter(this);
    }
}

namespace {

constexpr const char* ScrolledProperty = "qlDesignScrolled";

Placement* PlacementOf(QWidget* window)
{
    for (QObject* child : window->findChildren<QObject*>())
        if (auto* placement = dynamic_cast<Placement*>(child)) return placement;
    return nullptr;
}

// The root's controls into a scroll area that fills the window (or, in a main
// window, takes the central widget's place); content never gets smaller than
// `minimum`, so the controls keep their design places.
void ScrollDesign(QWidget* window, Placement* placement, QSize minimum)
{
    QWidget* root = placement->root();
    auto* area = new QScrollArea;
    area->setObjectName(QStringLiteral("designScroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    auto* main = qobject_cast<QMainWindow*>(window);
    if (main && root == main->centralWidget()) {
        root->setMinimumSize(minimum);
        main->takeCentralWidget();
        area->setWidget(root);
        main->setCentralWidget(area);
        return;
    }
    if (root != window) return;  // a design inside some other layout: left as it is
    const QSize design = root->size();
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("designContent"));
    content->setAutoFillBackground(root->autoFillBackground());
    content->resize(design);
    for (QObject* child : window->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) continue;
        const bool hidden = widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
        const QRect place = widget->geometry();
        widget->setParent(content);
        widget->setGeometry(place);
        if (hidden) widget->hide();
        else widget->show();
    }
    placement->moveRootTo(content);
    content->setMinimumSize(minimum);
    area->setParent(window);
    area->setWidget(content);
    area->setGeometry(window->rect());
    // The area follows the window's size.
    struct Follow : QObject {
        QScrollArea* area;
        explicit Follow(QScrollArea* a, QObject* parent) : QObject(parent), area(a) {}
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Resize) area->setGeometry(static_cast<QWidget*>(watched)->rect());
            return false;
        }
    };
    window->installEventFilter(new Follow(area, area));
    area->show();
}

// Moves a window that sticks out of the available area back into it.
void KeepOnScreen(QWidget* window, const QRect& available, QSize frame)
{
    const QSize outer = window->size() + frame;
    const int x =
        std::clamp(window->x(), available.left(), std::max(available.left(), available.right() + 1 - outer.width()));
    const int y =
        std::clamp(window->y(), available.top(), std::max(available.top(), available.bottom() + 1 - outer.height()));
    if (x != window->x() || y != window->y()) window->move(x, y);
}

}  // namespace

void FitOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    // The frame the window system draws; estimated before the window has one.
    QSize frame = window->frameGeometry().size() - window->size();
    if (frame.width() <= 0 && frame.height() <= 0) frame = QSize(16, 40);
    const QSize room = (available.size() - frame).expandedTo(QSize(100, 100));

    const QSize size = window->size();
    const QSize minimum = window->minimumSize();
    if (size.width() <= room.width() && size.height() <= room.height() && minimum.width() <= room.width() &&
        minimum.height() <= room.height()) {
        KeepOnScreen(window, available, frame);
        return;
    }

    if (!window->property(ScrolledProperty).toBool()) {
        window->setProperty(ScrolledProperty, true);
        if (Placement* placement = PlacementOf(window)) {
            // The root's size when the window is at its smallest design size.
            const QSize shrink = minimum.isEmpty() ? QSize(0, 0) : (size - minimum).expandedTo(QSize(0, 0));
            ScrollDesign(window, placement, placement->root()->size() - shrink);
        }
    }
    window->setMinimumSize(minimum.boundedTo(room));
    // Room for the scroll bar the other way, where the screen has it.
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    QSize wanted = size;
    if (size.height() > room.height()) wanted.rwidth() += bar;
    if (size.width() > room.width()) wanted.rheight() += bar;
    window->resize(wanted.boundedTo(room));
    KeepOnScreen(window, available, frame);
}

}  // namespace ql::ui
