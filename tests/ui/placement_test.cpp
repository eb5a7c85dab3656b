// The design tables: every row names a control, and a row that names none
// stops the window from being built.

#include <QLabel>
#include <QWidget>

#include <stdexcept>

#include <gtest/gtest.h>

#include "support/ui_support.h"
#include "ui/common/Placement.h"
#include "ui/dialogs/TfrmFK.h"
#include "ui/dialogs/TfrmInfo.h"
#include "ui/dialogs/TfrmLK.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/dialogs/TfrmWeb.h"

namespace ql::test {
namespace {

// The controls the design tables of a window have placed.
std::size_t PlacedControls(const QWidget* window)
{
    std::size_t placed = 0;
    for (QObject* child : window->findChildren<QObject*>())
        if (const auto* placement = dynamic_cast<const ui::Placement*>(child)) placed += placement->placedCount();
    return placed;
}

TEST(Placement, ARowNamingNoControlFailsLoudly)
{
    QWidget root;
    root.setObjectName("frmTest");
    (new QLabel("x", &root))->setObjectName("lblKnown");
    auto* placement = new ui::Placement(&root, 100, 100);
    placement->apply({{"lblKnown", 1, 2, 30, 10}});
    EXPECT_EQ(placement->placedCount(), 1u);
    try {
        placement->apply({{"lblKnwon", 1, 2, 30, 10}});
        ADD_FAILURE() << "a misspelt row was accepted";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "design row \"lblKnwon\" names no control of frmTest");
    }
    EXPECT_EQ(placement->placedCount(), 1u);
}

TEST(Placement, EveryDesignRowOfEveryWindowNamesAControl)
{
    UiFixture fx;
    ASSERT_NO_THROW(fx.createWindows());
    const ui::Windows& w = *fx.windows;
    EXPECT_EQ(PlacedControls(w.frmMain.get()), 17u);
    EXPECT_EQ(PlacedControls(w.frmPoly.get()), 4u);
    EXPECT_EQ(PlacedControls(w.frmInfo.get()), 18u);
    // Frames, OK, the overview hint, name and count per district.
    EXPECT_EQ(PlacedControls(w.frmLK.get()), 4u + 2 * 24 + 2 * 12);
    // The hint lies in the free corner: it touches none of the design's controls.
    const auto* hint = w.frmLK->findChild<QLabel*>("lblUebersicht");
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), "Strg+K: Kreisübersicht");
    for (const char* name : {"gboxLK", "gboxSK", "bbtnOK"})
        EXPECT_FALSE(hint->geometry().intersects(w.frmLK->findChild<QWidget*>(name)->geometry())) << name;
    EXPECT_TRUE(w.frmLK->rect().contains(hint->geometry()));
    EXPECT_EQ(PlacedControls(w.frmFK.get()), 2u);
    EXPECT_EQ(PlacedControls(w.frmWeb.get()), 2u);
}

}  // namespace
}  // namespace ql::test
