// A query cut short opens with the rows read before the cut, and the error box
// says the file is incomplete and how many finds it read.

#include <QLabel>

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "support/my_finds_query.h"
#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/TfrmMain.h"

namespace ql::test {
namespace {

using IncompleteQueryWindowTest = MainWindowFixture;

TEST_F(IncompleteQueryWindowTest, ACutOffQueryShowsItsRowsAndSaysItIsIncomplete)
{
    testquery::Cache first, second, third;
    first.code = "GC1";
    second.code = "GC2";
    third.code = "GC3";
    const std::string full = testquery::MyFindsQuery("2011-06-27T02:11:21Z", {first, second, third});
    // A download that stopped a few bytes after the second waypoint.
    const std::size_t cut = full.find("</wpt>", full.find("</wpt>") + 1) + 9;
    const QString path = WriteFile(fx.programDir.filePath("cut.gpx"), full.substr(0, cut));
    ModalAnswerer answerer;
    OpenAndWait(main, path);
    ASSERT_EQ(ui::ErrorBoxHistory().size(), 1);
    EXPECT_EQ(ui::ErrorBoxHistory().first(), "Die Datei \"" + Native(path) +
                                                 "\" ist unvollständig: Die abschließende Zeile </gpx> fehlt. Es "
                                                 "wurden 2 Funde gelesen.");
    EXPECT_EQ(fx.state.Rows.size(), 2u);
    EXPECT_EQ(text("lblAnzahlCache"), "2");

    // The whole file: three rows, no box.
    ui::ErrorBoxHistory().clear();
    OpenAndWait(main, WriteFile(fx.programDir.filePath("full.gpx"), full));
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty()) << ui::ErrorBoxHistory().join("\n").toStdString();
    EXPECT_EQ(text("lblAnzahlCache"), "3");
}

}  // namespace
}  // namespace ql::test
