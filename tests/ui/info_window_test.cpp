#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/platform.h"
#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Placement.h"
#include "ui/dialogs/TfrmInfo.h"

namespace ql::test {
namespace {

// Replaces the shell for one test and restores it afterwards, also on failure.
class ShellStub {
public:
    explicit ShellStub(int result)
    {
        platform::SetShellOpenOverride([this, result](const std::string& file, const std::string& parameters) {
            calls.push_back(file + "|" + parameters);
            return result;
        });
    }
    ~ShellStub() { platform::SetShellOpenOverride({}); }
    std::vector<std::string> calls;
};

class InfoWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ui::ErrorBoxHistory().clear(); }

    void create()
    {
        fx.createWindows();
        info = fx.windows->frmInfo.get();
    }
    template <class T>
    T* child(const char* name)
    {
        return info->findChild<T*>(QString::fromLatin1(name));
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    QTabWidget* pages() { return child<QTabWidget>("PageControl2"); }
    // Shows the window without a modal loop and lets its activation run.
    void showAndSettle()
    {
        info->show();
        QApplication::processEvents();
        QApplication::processEvents();
    }

    UiFixture fx;
    ui::TfrmInfo* info = nullptr;
};

// Thousands grouped with the user's separator ("." with German settings).
const QRegularExpression KilobyteFigure(
    QStringLiteral("^\\d{1,3}(%1\\d{3})* KB$")
        .arg(QRegularExpression::escape(QString::fromStdString(platform::ThousandsSeparator()))));

TEST_F(InfoWindowTest, EscapeClosesTheWindow)
{
    create();
    showAndSettle();
    ASSERT_TRUE(info->isVisible());
    QTest::keyClick(info, Qt::Key_Escape);
    EXPECT_FALSE(info->isVisible());
}

TEST_F(InfoWindowTest, DesignOfTheWindow)
{
    create();
    EXPECT_EQ(info->windowTitle(), "Information");
    EXPECT_EQ(info->size(), ui::ScaledSize(572, 537));
    EXPECT_EQ(info->minimumSize(), info->maximumSize());
    EXPECT_FALSE(info->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(pages()->tabText(0), "Allgemeines");
    EXPECT_EQ(pages()->tabText(1), "Historie");
    EXPECT_EQ(text("Label2"), "Zellgrenz");
    EXPECT_EQ(text("Label4"), "Vezuve-Zodu");
    EXPECT_EQ(text("Label10"), "Verfügb. Phys.  Windows - Speicher:");
    EXPECT_EQ(text("Label11"), "Verfügbarer Auslagerungsspeicher:");
    EXPECT_EQ(text("lblVersion"), "0.0.0.0");
    EXPECT_EQ(child<QToolButton>("sbtnCopyright")->text(), "www.zellgrenz.de");
    EXPECT_EQ(child<QToolButton>("sbtnCopyright")->focusPolicy(), Qt::NoFocus);
    for (const char* value : {"lblMemory", "lblMemoryAvail", "lblPageMemory", "lblPageMemoryAvail"}) {
        EXPECT_EQ(text(value), "65.536 KB") << value;
        EXPECT_EQ(child<QLabel>(value)->geometry().x() + child<QLabel>(value)->width(), ui::Scaled(344)) << value;
    }
    auto* ok = child<QPushButton>("BitBtnOK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "&OK");
    EXPECT_FALSE(ok->icon().isNull());
    EXPECT_EQ(child<QPushButton>("BitBtnSys")->text(), "&SystemInfo...");
    // Keyboard focus: OK, SystemInfo, the page tabs.
    EXPECT_EQ(ok->nextInFocusChain(), child<QPushButton>("BitBtnSys"));
    EXPECT_EQ(info->focusWidget(), ok);
    auto* history = child<QTextEdit>("rtfHistorie");
    EXPECT_TRUE(history->isReadOnly());
    EXPECT_EQ(history->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(InfoWindowTest, ReopenedAfterClosingOnHistoryShowsGeneralPageWithFreshFigures)
{
    create();
    int showings = 0;
    QStringList pagesSeen;
    QStringList memorySeen;
    ModalAnswerer answerer([&](QWidget* modal) {
        if (modal != info) return false;
        QApplication::processEvents();  // the activation the showing started
        ++showings;
        pagesSeen << pages()->currentWidget()->objectName();
        memorySeen << text("lblMemory") + " " + text("lblPageMemoryAvail");
        if (showings == 1) pages()->setCurrentIndex(1);  // the user looks at the history
        child<QPushButton>("BitBtnOK")->click();
        return true;
    });
    info->exec();
    ASSERT_EQ(pages()->currentWidget()->objectName(), "tbHistorie");
    child<QLabel>("lblMemory")->setText(QStringLiteral("stale"));
    child<QLabel>("lblOS")->setText(QStringLiteral("stale"));
    info->exec();

    ASSERT_EQ(showings, 2);
    EXPECT_EQ(pagesSeen, QStringList({"tbAllgemeines", "tbAllgemeines"}));
    EXPECT_FALSE(memorySeen[1].contains("stale"));
    // Real figures: one right edge for all four, at 344 or further right where
    // a figure would otherwise run into its caption.
    const std::pair<const char*, const char*> rows[] = {
        {"lblMemory", "Label8"}, {"lblMemoryAvail", "Label10"}, {"lblPageMemory", "Label9"},
        {"lblPageMemoryAvail", "Label11"}};
    const int right = child<QLabel>("lblMemory")->geometry().right();
    EXPECT_GE(right + 1, ui::Scaled(344));
    for (const auto& [value, caption] : rows) {
        EXPECT_TRUE(KilobyteFigure.match(text(value)).hasMatch()) << value << " " << text(value).toStdString();
        EXPECT_EQ(child<QLabel>(value)->geometry().right(), right) << value;
        EXPECT_GT(child<QLabel>(value)->x(), child<QLabel>(caption)->geometry().right()) << value;
    }
    EXPECT_EQ(text("lblVersion"), QStringLiteral("%1.%2.%3.%4")
                                      .arg(QL_VERSION_MAJOR)
                                      .arg(QL_VERSION_MINOR)
                                      .arg(QL_VERSION_PATCH)
                                      .arg(QL_VERSION_TWEAK));
#ifdef _WIN32
    // A named version up to Windows 7; the program's manifest lets Windows 10
    // and 11 report themselves, which the naming table leaves without a name.
    EXPECT_TRUE(text("lblOS").startsWith("Windows ") || text("lblOS").startsWith(" (10.0) "))
        << text("lblOS").toStdString();
#else
    EXPECT_TRUE(text("lblOS").startsWith(" (")) << text("lblOS").toStdString();
#endif
    EXPECT_TRUE(text("lblOS").contains(") (Build: "));
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
}

TEST_F(InfoWindowTest, HistoryShowsTheShippedTextWithItsSourceNote)
{
    create();
    const QString history = child<QTextEdit>("rtfHistorie")->toPlainText();
    EXPECT_TRUE(history.contains("Version 2.1"));
    EXPECT_TRUE(history.contains(
        "Kreisgrenzen: © GeoBasis-DE / BKG 2017 (Daten verändert). Verwaltungsgebiete 1:250 000 (VG250), Stand "
        "01.01.2016. Datenlizenz Deutschland – Namensnennung – Version 2.0 (https://www.govdata.de/dl-de/by-2-0)."));
    EXPECT_FALSE(history.startsWith(QChar(0xFEFF)));
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
}

TEST_F(InfoWindowTest, RtfHistoryShowsItsText)
{
    WriteFile(QString::fromStdString(fx.state.ProgramDir + "Historie.txt"),
              "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Version 1.0\\par Gr\\'fc\\'dfe\\par}");
    create();
    EXPECT_EQ(child<QTextEdit>("rtfHistorie")->toPlainText(), "Version 1.0\nGrüße\n");
}

TEST_F(InfoWindowTest, MissingHistoryShowsTheErrorAtStartAndKeepsTheDesignLine)
{
    fx.state.ProgramDir += "nowhere/";
    ModalAnswerer answerer;
    create();
    const QString expected =
        QString::fromStdString("Datei " + fx.state.ProgramDir + "Historie.txt kann nicht geöffnet werden. ") +
#ifdef _WIN32
        ui::ErrorBoxText(platform::ErrorText(ERROR_PATH_NOT_FOUND));
#else
        QString::fromLocal8Bit(std::strerror(ENOENT)) + ".";
#endif
    EXPECT_TRUE(ui::ErrorBoxHistory().contains(expected)) << ui::ErrorBoxHistory().join("\n").toStdString();
    EXPECT_EQ(child<QTextEdit>("rtfHistorie")->toPlainText(), "rtfHistorie");
    EXPECT_EQ(child<QToolButton>("sbtnCopyright")->text(), "www.zellgrenz.de");  // set before the load
}

TEST_F(InfoWindowTest, ShellResultsUpTo32ShowTheFileErrorBoxAndFocusEndsOnOk)
{
    create();
    showAndSettle();
    auto* ok = child<QPushButton>("BitBtnOK");
    auto* sys = child<QPushButton>("BitBtnSys");
    struct Case {
        int result;
        QStringList boxes;
    };
    const Case cases[] = {
        {2, {"ShellErrorBox|Fataler Dateifehler !|Datei wurde nicht gefunden."}},
        {31, {"ShellErrorBox|Fataler Dateifehler !|"}},
        {42, {}},
    };
    for (const Case& c : cases) {
        ShellStub shell(c.result);
        QList<QMessageBox::Icon> icons;
        ModalAnswerer answerer([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) icons << box->icon();
            return false;
        });
        sys->setFocus();
        child<QToolButton>("sbtnCopyright")->click();
        EXPECT_EQ(answerer.seen(), c.boxes) << c.result;
        for (QMessageBox::Icon icon : icons) EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(shell.calls, std::vector<std::string>({"http://www.zellgrenz.de/|Stuttgart"}));
        EXPECT_EQ(info->focusWidget(), ok) << c.result;
    }
    EXPECT_TRUE(ui::ErrorBoxHistory().isEmpty());
    info->hide();
}

TEST_F(InfoWindowTest, SystemInfoButtonAsksTheShellAndReportsNothing)
{
    create();
    showAndSettle();
    ShellStub shell(2);
    ModalAnswerer answerer;
    child<QPushButton>("BitBtnSys")->click();
    EXPECT_TRUE(answerer.seen().isEmpty());
    EXPECT_LE(shell.calls.size(), 1u);  // a tool only where the system has one
    EXPECT_TRUE(info->isVisible());
    info->hide();
}

TEST_F(InfoWindowTest, ScreenshotsShowBothPagesInTheirColours)
{
    create();
    showAndSettle();
    const QImage general = SaveScreenshot(info, "info_general");
    ASSERT_FALSE(general.isNull());
    EXPECT_EQ(general.width(), qRound(info->width() * info->devicePixelRatioF()));
    // The figures' panel in its grey, the operating system in red.
    const QRect panel = AreaOf(general, info, child<QWidget>("Panel3"));
    EXPECT_EQ(general.pixelColor(panel.left() + 2, panel.bottom() - 2), QColor(224, 223, 227));
    EXPECT_TRUE(HasColour(general, AreaOf(general, info, child<QLabel>("lblOS")), QColor(225, 0, 0)));

    pages()->setCurrentIndex(1);
    QApplication::processEvents();
    const QImage history = SaveScreenshot(info, "info_history");
    ASSERT_FALSE(history.isNull());
    // The history text in its blue; the general page's grey panel is gone.
    auto* historyText = child<QTextEdit>("rtfHistorie");
    EXPECT_TRUE(HasColour(history, AreaOf(history, info, historyText->viewport()), QColor(0, 0, 191)));
    EXPECT_NE(history.pixelColor(panel.left() + 2, panel.bottom() - 2), QColor(224, 223, 227));
    info->hide();
}

}  // namespace
}  // namespace ql::test
