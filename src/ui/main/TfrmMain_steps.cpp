// The main window's steps beside it: the progress shown while one runs, the
// way to stop it (button and Escape), quitting, the placemark files written
// after the list shows, and files dropped on the window.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "scan/placemark_files_beside.h"
#include "state/app_state.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/StepBeside.h"
#include "ui/main/OpenProgress.h"
#include "ui/main/TfrmMain.h"

#include <algorithm>

namespace ql::ui {

namespace {
// A step that takes longer than this shows where it stands, with its Cancel.
constexpr int ProgressAfterMs = 500;
constexpr int ProgressEveryMs = 50;

// The file of a drop when it is a query: one local file named .zip or .gpx.
QString DroppedQuery(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().first();
    if (!url.isLocalFile()) return {};
    const QString path = url.toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("zip") || suffix == QLatin1String("gpx") ? path : QString();
}
}  // namespace

void TfrmMain::buildStepControls()
{
    step_ = new StepBeside(this);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(ProgressEveryMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { showStepProgress(); });

    lblStep_ = new QLabel(this);
    lblStep_->setObjectName(QStringLiteral("lblStep"));
    pbStep_ = new QProgressBar(this);
    pbStep_->setObjectName(QStringLiteral("pbStep"));
    pbStep_->setRange(0, 0);  // busy: the window's own gauge gives the percent where there is one
    pbStep_->setMaximumWidth(160);
    btnAbbrechen_ = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnAbbrechen_->setObjectName(QStringLiteral("btnAbbrechen"));
    btnAbbrechen_->setFocusPolicy(Qt::NoFocus);
    statusBar()->addPermanentWidget(lblStep_);
    statusBar()->addPermanentWidget(pbStep_);
    statusBar()->addPermanentWidget(btnAbbrechen_);
    lblStep_->hide();
    pbStep_->hide();
    btnAbbrechen_->hide();
    ConnectGuarded(btnAbbrechen_, &QPushButton::clicked, this, &TfrmMain::btnAbbrechenClick);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Guarded(this, [&] { btnAbbrechenClick(); }); });

    setAcceptDrops(true);
}

bool TfrmMain::busy() const
{
    return stepActive_;
}

void TfrmMain::beginStep(StepKind kind)
{
    stepActive_ = true;
    stepKind_ = kind;
    // Nothing that would read or replace the query starts meanwhile.
    FileOpen1_->setEnabled(false);
    bbtnOpen_->setEnabled(false);
    cboxStichtag_->setEnabled(false);
    mnuKreisgrenzen_->setEnabled(false);
    stepClock_.start();
    progressTimer_->start();
}

void TfrmMain::endStep()
{
    if (!stepActive_) return;
    stepActive_ = false;
    FileOpen1_->setEnabled(true);
    bbtnOpen_->setEnabled(true);
    cboxStichtag_->setEnabled(true);
    mnuKreisgrenzen_->setEnabled(true);
    bbtnCheckRLP_->setEnabled(true);
    hideStepProgress();
    emit stepEnded();
}

void TfrmMain::hideStepProgress()
{
    progressTimer_->stop();
    lblStep_->hide();
    pbStep_->hide();
    btnAbbrechen_->hide();
}

void TfrmMain::showStepProgress()
{
    if (const std::shared_ptr<OpenProgress> progress = openProgress_) {
        if (progress->fileProgressSeen.load(std::memory_order_relaxed) &&
            lblReady_->text() != QStringLiteral("Extracting: ")) {
            lblReady_->setText(QStringLiteral("Extracting: "));
            lblReady_->adjustSize();
        }
        const int percent = progress->overall.load(std::memory_order_relaxed);
        if (percent >= 0) {
            // Within one extraction the gauge never goes back.
            pbProgress_->setValue(gaugeStarted_ ? std::max(percent, pbProgress_->value()) : percent);
            gaugeStarted_ = true;
        }
    }
    // A line already shown follows the step that runs now (the scan after
    // the reading); otherwise a step shows it once it takes that long.
    if (!stepActive_ || (!lblStep_->isVisible() && stepClock_.elapsed() < ProgressAfterMs)) return;
    const QString text = stepKind_ == StepKind::Scan ? QStringLiteral("Funde werden den Kreisen zugeordnet...")
                         : stepIsZip_                ? QStringLiteral("Query wird entpackt...")
                                                     : QStringLiteral("Query wird gelesen...");
    if (lblStep_->text() != text) lblStep_->setText(text);
    lblStep_->show();
    pbStep_->show();
    btnAbbrechen_->show();
}

void TfrmMain::btnAbbrechenClick()
{
    if (!stepActive_) return;
    step_->stop();
    incoming_.reset();
    scanned_.reset();
    openProgress_.reset();
    // The window shows the previous query again, as it was before.
    if (stepIsOpen_) {
        state_.QueryFileName = before_.queryFileName;
        lblDateiname_->setText(before_.fileLabel);
        lblDateiname_->adjustSize();
        lblQueryDatum_->setText(before_.dateLabel);
        lblQueryDatum_->adjustSize();
        lblReady_->setText(before_.readyLabel);
        lblReady_->adjustSize();
        lblReady_->setVisible(before_.readyShown);
        pbProgress_->setValue(before_.gauge);
    } else {
        cboxStichtag_->setChecked(before_.cutoff);
    }
    endStep();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) return;
    // Quitting stops the step and the placemark files: nothing is read,
    // shown or written after the request.
    step_->stop();
    incoming_.reset();
    scanned_.reset();
    stepActive_ = false;
    progressTimer_->stop();
    stopPlacemarkFiles();
    // A window still open (the overview is not modal) would keep the program
    // running with the last scan's placemark files in the temporary folder.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible()) window->close();
    QCoreApplication::quit();
}

void TfrmMain::startPlacemarkFiles(std::vector<std::string> stale)
{
    stopPlacemarkFiles();
    placemarkFiles_ = std::make_unique<PlacemarkFilesBeside>(
        state_.TempDir, std::move(stale), state_.PlacemarkFiles, std::move(state_.PlacemarkTexts),
        [this](std::exception_ptr failure) {
            if (!failure) return;
            QMetaObject::invokeMethod(
                this, [this, failure] { Guarded(this, [&] { std::rethrow_exception(failure); }); },
                Qt::QueuedConnection);
        });
    state_.PlacemarkTexts.clear();
}

void TfrmMain::stopPlacemarkFiles()
{
    placemarkFiles_.reset();
}

void TfrmMain::EnsurePlacemarkFile(const std::string& path)
{
    if (!placemarkFiles_) return;
    // The page hands the path with the system's separators; the folder may
    // have been named with the other kind (Windows takes both).
    const auto slashed = [](std::string text) {
        std::replace(text.begin(), text.end(), '\\', '/');
        return text;
    };
    const std::string folder = slashed(state_.TempDir);
    const std::string file = slashed(path);
    if (file.compare(0, folder.size(), folder) != 0) return;
    placemarkFiles_->EnsureWritten(std::string_view(path).substr(folder.size()));
}

void TfrmMain::waitForPlacemarkFiles()
{
    if (placemarkFiles_) placemarkFiles_->Wait();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedQuery(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event)
{
    const QString path = DroppedQuery(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop has ended, as from the dialog.
    QTimer::singleShot(0, this, [this, path] { FileOpen1Accept(path); });
}

}  // namespace ql::ui
