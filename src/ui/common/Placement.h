#pragma once
// Lays out a window from its design table: each control gets its design
// rectangle (pixels at 120 per inch, scaled to the screen) and its anchors,
// which are applied again whenever its parent is resized.

#include <QFont>
#include <QObject>
#include <QSize>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <vector>

namespace ql::ui {

enum Anchor : unsigned {
    AnchorLeft = 1,
    AnchorTop = 2,
    AnchorRight = 4,
    AnchorBottom = 8,
    AnchorsDefault = AnchorLeft | AnchorTop,
    AnchorsLeftBottom = AnchorLeft | AnchorBottom,
    AnchorsLeftTopRight = AnchorLeft | AnchorTop | AnchorRight,
    AnchorsAll = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom,
};

// One row of a design table. A width or height of 0 lets the control size
// itself to its content (labels).
struct DesignRow {
    const char* name;
    int left, top, width, height;
    unsigned anchors = AnchorsDefault;
};

// Screen pixels per design pixel (the design is at 120 pixels per inch).
double DesignScale();
int Scaled(int designPixels);
QSize ScaledSize(int designWidth, int designHeight);

// A font of the design: family, height in design pixels, bold.
QFont DesignFont(int designPixelHeight, bool bold = false, const QString& family = QStringLiteral("Tahoma"));

class Placement : public QObject {
public:
    // root holds the controls; its design size is the client area of the design
    // (in design pixels), against which the anchors of its children are kept.
    Placement(QWidget* root, int designWidth, int designHeight)
        : QObject(root), root_(root), rootDesign_(ScaledSize(designWidth, designHeight)) {}

    // Places the root's descendants named in the table, parents before children.
    // A row naming no descendant is a fault in the table: throws
    // std::logic_error naming the row, so a typo cannot go unnoticed.
    void apply(std::initializer_list<DesignRow> table);
    void apply(const DesignRow* rows, std::size_t count);

    // The controls placed so far, one per design row.
    std::size_t placedCount() const { return placed_.size(); }

    QWidget* root() const { return root_; }
    // The root's controls moved into `content` (same places): their anchors
    // now follow content's size.
    void moveRootTo(QWidget* content);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placed {
        QWidget* widget;
        unsigned anchors;
        QRect start;          // scaled design rectangle
        QSize parentStart;    // the parent's scaled design size
    };
    void relayout(QWidget* parent);

    QSize designSizeOf(QWidget* parent) const;

    QWidget* root_;
    QSize rootDesign_;
    std::vector<Placed> placed_;
    std::vector<QWidget*> parents_;
};

// A window whose design size does not fit the available area of its screen
// (frame included) opens at the largest size that does, with its design
// layout scrolled: the controls keep their design places and sizes inside a
// scroll area, and their anchors work as designed whenever the window is
// larger. Its minimum size is bounded by the screen too. A window that fits
// is left as it is. Called when the window is shown.
void FitOnScreen(QWidget* window);

}  // namespace ql::ui
