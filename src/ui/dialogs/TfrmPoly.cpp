#include "ui/dialogs/TfrmPoly.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <string>

#include "state/app_state.h"
#include "core/tables.h"
#include "geo/point_in_polygon.h"
#include "districts/district_map.h"
#include "districts/polygon_files.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Icons.h"
#include "ui/common/Placement.h"

namespace ql::ui {

namespace {

constexpr int ClientWidth = 777;
constexpr int ClientHeight = 665;

// name          left  top  width  height  anchors
constexpr DesignRow Design[] = {
    {"pbarPoly",    24,  24,   729,    21, AnchorsLeftTopRight},
    {"GroupBox1",    8,  51,   761,   489, AnchorsAll},
    {"rtfPoly",     16,  40,   729,   433, AnchorsAll},
    {"bbtnOK",     280, 576,   209,    65, AnchorsDefault},
};

const QColor LogColour(0, 0, 128);      // navy: the log's own colour
const QColor HeadingColour(255, 0, 0);  // red
const QColor FoundColour(0, 128, 0);    // green

constexpr int CountdownStart = 10;
constexpr int TickMs = 1000;

void ShowFileErrorBox(QWidget* parent)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, QStringLiteral("Schwerwiegender Dateifehler !"),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("FileErrorBox"));
    box.exec();
}

// Marks the loading run for as long as it lasts, also when it ends with an error.
class LoadingScope {
public:
    explicit LoadingScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~LoadingScope() { flag_ = false; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

TfrmPoly::TfrmPoly(AppState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("frmPoly"));
    escapeFilter_ = KeepOpenOnEscape(this);  // no button cancels the window
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(DesignFont(20));
    buildControls();
}

TfrmPoly::~TfrmPoly() = default;

void TfrmPoly::buildControls()
{
    pbarPoly_ = new QProgressBar(this);
    pbarPoly_->setObjectName(QStringLiteral("pbarPoly"));
    pbarPoly_->setRange(0, 100);
    pbarPoly_->setValue(0);
    pbarPoly_->setTextVisible(false);

    GroupBox1_ = new QGroupBox(this);
    GroupBox1_->setObjectName(QStringLiteral("GroupBox1"));

    rtfPoly_ = new QTextEdit(GroupBox1_);
    rtfPoly_->setObjectName(QStringLiteral("rtfPoly"));
    rtfPoly_->setReadOnly(true);
    rtfPoly_->setAcceptRichText(true);
    rtfPoly_->setLineWrapMode(QTextEdit::NoWrap);
    rtfPoly_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rtfPoly_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rtfPoly_->setFont(DesignFont(17));
    SetColour(rtfPoly_, QPalette::Text, LogColour);
    rtfPoly_->setTextColor(LogColour);

    bbtnOK_ = MakeOkButton(this, "bbtnOK", QStringLiteral("OK"), QSize(Scaled(18), Scaled(18)));
    bbtnOK_->setDefault(true);
    bbtnOK_->setEnabled(false);
    ConnectGuarded(bbtnOK_, &QPushButton::clicked, this, &TfrmPoly::bbtnOKClick);

    tmrClose_ = new QTimer(this);
    tmrClose_->setObjectName(QStringLiteral("tmrClose"));
    tmrClose_->setInterval(TickMs);
    ConnectGuarded(tmrClose_, &QTimer::timeout, this, &TfrmPoly::tmrCloseTimer);

    resize(ScaledSize(ClientWidth, ClientHeight));
    auto* placement = new Placement(this, ClientWidth, ClientHeight);
    placement->apply(std::begin(Design), std::size(Design));
}

void TfrmPoly::FormCreate()
{
    setWindowTitle(QStringLiteral("Polygon-Daten ermitteln"));
    GroupBox1_->setTitle(QStringLiteral(" Stadt- und Landkreise "));
    rtfPoly_->clear();
    rtfPoly_->setTextColor(LogColour);
    for (int i = 0; i < DistrictCount; ++i) state_.PolyTable.SetPolygon(i, {});
}

void TfrmPoly::setTimingForTests(int pauseMs, int tickMs)
{
    pauseMs_ = pauseMs;
    tmrClose_->setInterval(tickMs);
}

// The program's other windows take no input while this modal window is shown,
// so each showing is one activation.
void TfrmPoly::showEvent(QShowEvent* e)
{
    if (!centred_) {
        centred_ = true;
        CentreOnScreen(this);
    }
    QDialog::showEvent(e);
    // Runs once the window is on the screen, so the log fills visibly.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) FormActivate();
    });
}

void TfrmPoly::FormActivate()
{
    if (loading_) return;  // an activation inside the run's own message handling
    if (loaderRunPending_) {
        bool completed = false;
        Guarded(this, [&] {
            try {
                loadingRun();
            } catch (const std::exception& e) {
                state_.PolygonLoadFailure = ErrorBoxText(e.what()).toStdString();  // as the box shows it
                throw;
            }
            completed = true;
        });
        if (!completed) {
            // The user is not stuck: OK, Enter and Escape close the window; no countdown.
            bbtnOK_->setEnabled(true);
            bbtnOK_->setFocus();
            removeEventFilter(escapeFilter_);
            return;
        }
        state_.PolygonLoadFailure.clear();
        installEventFilter(escapeFilter_);
    }
    bbtnOK_->setEnabled(true);
    closeCountdown_ = CountdownStart;
    tmrClose_->start();
    bbtnOK_->setFocus();
}

void TfrmPoly::loadingRun()
{
    LoadingScope scope(loading_);
    polyIndex_ = 0;
    LoadDistrictFolder(state_.PolyTable, state_.PolygonDir, [this](int district, const std::string& path) {
        polyIndex_ = district;  // the districts before it are loaded
        if (district == 0) {
            LogColoured(QStringLiteral("LANDKREISE in Rheinland-Pfalz"), HeadingColour);
            endLine();
        } else if (district == LandkreisCount) {
            endLine();
            LogColoured(QStringLiteral("STADTKREISE in Rheinland-Pfalz"), HeadingColour);
            endLine();
        }
        fileSteps(district, path);
    });
    polyIndex_ = DistrictCount;
    loaderRunPending_ = false;
}

void TfrmPoly::fileSteps(int district, const std::string& path)
{
    const std::string_view name = DistrictNames[static_cast<std::size_t>(district)];
    const std::string file = std::string(DistrictFileNames[static_cast<std::size_t>(district)]) + ".txt";

    addLine(FromUtf8(name) + QStringLiteral(" : Dateiname -> ") + FromUtf8(file));

    std::optional<std::string> first = ReadFirstLine(path);
    if (!first) {
        ShowFileErrorBox(this);
        first.emplace();
    }
    // Each district takes two lines: the file, then the header with " OK!" or nothing.
    if (first->find(name) != std::string::npos) LogColoured(FromUtf8(*first) + QStringLiteral(" OK!"), FoundColour);
    endLine();

    QApplication::processEvents();
    // 3 per file: past the bar's end from the 34th file on, where it shows full.
    pbarPoly_->setValue(std::min(3 * (district + 1), pbarPoly_->maximum()));
    pause(pauseMs_);
}

void TfrmPoly::pause(int ms)
{
    if (ms <= 0) return;
    // The window keeps repainting; close requests are dropped while loading.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void TfrmPoly::LogColoured(const QString& text, const QColor& colour)
{
    QTextCursor cursor(rtfPoly_->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat coloured;
    coloured.setForeground(colour);
    cursor.insertText(text, coloured);
    // Later text is in the log's own colour again.
    rtfPoly_->setTextColor(LogColour);
    rtfPoly_->setFocus();
}

void TfrmPoly::addLine(const QString& text)
{
    LogColoured(text, LogColour);
    endLine();
}

void TfrmPoly::endLine()
{
    QTextCursor cursor(rtfPoly_->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat plain;
    plain.setForeground(LogColour);
    cursor.insertBlock(QTextBlockFormat(), plain);
    rtfPoly_->setTextCursor(cursor);
    rtfPoly_->ensureCursorVisible();
}

void TfrmPoly::tmrCloseTimer()
{
    tmrClose_->stop();
    bbtnOK_->setText(QStringLiteral("OK - ") + QString::number(closeCountdown_) + QStringLiteral("s"));
    --closeCountdown_;
    if (closeCountdown_ < 0) close();
    else tmrClose_->start();
}

void TfrmPoly::bbtnOKClick()
{
    tmrClose_->stop();
    close();
}

void TfrmPoly::FormClose()
{
    tmrClose_->stop();
}

void TfrmPoly::closeEvent(QCloseEvent* e)
{
    if (loading_) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TfrmPoly::done(int result)
{
    if (loading_) return;  // the run finishes first
    FormClose();
    QDialog::done(result);
}

}  // namespace ql::ui
