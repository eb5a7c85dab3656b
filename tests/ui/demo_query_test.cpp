// The first run of a newcomer: the shipped demo query opened in the real
// windows, with the shipped boundaries loaded by the loader window.

#include <QLabel>
#include <QTableView>

#include <gtest/gtest.h>

#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmPoly.h"

namespace ql::test {
namespace {

TEST(DemoQuery, OpensWithEveryDistrictCoveredAndFindsOutsideThem)
{
    UiFixture fx;
    fx.createWindows();
    fx.windows->frmPoly->setTimingForTests(1, 5);
    auto* main = fx.windows->frmMain.get();
    main->show();
    ui::ErrorBoxHistory().clear();

    QStringList loaderButton;
    ModalAnswerer answerer([&](QWidget* modal) {
        // The loader closes itself after its countdown; leave it alone.
        return modal->objectName() == QLatin1String("frmPoly");
    });
    OpenAndWait(main, QStringLiteral(QL_RUNTIME_DIR "/demo/demo-myfinds.zip"));

    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
    EXPECT_FALSE(fx.state.PolygonsPending);
    const int rows = static_cast<int>(fx.state.Rows.size());
    EXPECT_GT(rows, 36);
    EXPECT_EQ(main->findChild<QLabel*>("lblAnzahlCache")->text(), QString::number(rows));
    EXPECT_EQ(main->findChild<QLabel*>("lblAnzahlNIP")->text(), QString::number(fx.state.NotInPolygonCount));
    EXPECT_GT(fx.state.NotInPolygonCount, 0);
    for (int i = 0; i < DistrictCount; ++i) EXPECT_GE(fx.state.DistrictTally[i], 1) << "district " << i;
    EXPECT_EQ(main->findChild<QTableView*>("ListView1")->model()->rowCount(), rows);
    SaveScreenshot(main, "main_window_demo");
}

}  // namespace
}  // namespace ql::test
