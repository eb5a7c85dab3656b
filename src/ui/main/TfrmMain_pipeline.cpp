// The main window's query pipeline: open dialog, direct GPX load, the
// analysis run and the cut-off re-scan. Reading and scanning run beside the
// window (TfrmMain_steps.cpp); what they made becomes the window's when done.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "base/cancel.h"
#include "base/user_error.h"
#include "query/query_pipeline.h"
#include "scan/placemark_files_beside.h"
#include "scan/query_scan.h"
#include "scan/scanner.h"
#include "state/app_state.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/StepBeside.h"
#include "ui/common/Windows.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/main/CacheListModel.h"
#include "ui/main/OpenProgress.h"
#include "ui/main/TfrmMain.h"

namespace ql::ui {

namespace {

const QString NotMyFindsText = QStringLiteral(" Fehler !  Das ist keine MyFinds Query - Datei .");

void ShowNotMyFindsBox()
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), NotMyFindsText, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("NotMyFindsBox"));
    box.setDefaultButton(QMessageBox::Ok);
    box.adjustSize();
    CentreOnScreen(&box);
    box.exec();
}

// The one notice of a scan (the placemark files capped), before any error of it.
void ShowScanNotice(QWidget* parent, const QueryScan& scan)
{
    if (scan.Notice.empty()) return;
    QMessageBox box(QMessageBox::Information, ApplicationTitle, QString::fromStdString(scan.Notice), QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("PlacemarkCapBox"));
    box.exec();
}

void ShowReady(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
    label->show();
}

}  // namespace

void TfrmMain::FileOpen1Execute()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setWindowTitle(QStringLiteral("Query-Datei öffnen"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    FileOpen1BeforeExecute(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    FileOpen1Accept(dialog.selectedFiles().first());
}

void TfrmMain::FileOpen1BeforeExecute(QFileDialog& dialog)
{
    dialog.setDirectory(FromUtf8(state_.ProgramDir));
    dialog.setDefaultSuffix(QStringLiteral("zip"));
    dialog.setNameFilters({QStringLiteral("ZIP-Datei (*.zip)"), QStringLiteral("GPX-Datei (*.gpx)"),
                           QStringLiteral("Alle Dateien (%1)").arg(QLatin1String(platform::AllFilesPattern))});
    dialog.selectNameFilter(QStringLiteral("ZIP-Datei (*.zip)"));
}

void TfrmMain::FileOpen1Accept(const QString& fileName)
{
    Guarded(this, [&] {
        // A second open replaces the first: the first is stopped before
        // anything of the second is shown.
        if (busy()) btnAbbrechenClick();
        before_ = {state_.QueryFileName,   lblDateiname_->text(), lblQueryDatum_->text(), lblReady_->text(),
                   lblReady_->isVisible(), pbProgress_->value(),  state_.CutoffEnabled};
        // The system's own form of the path (backslashes on Windows).
        const QString path = QDir::toNativeSeparators(fileName);
        state_.QueryFileName = path.toStdString();
        lblDateiname_->setText(path);
        lblDateiname_->adjustSize();
        if (HasZipExtension(state_.QueryFileName)) {
            btnExtrZipClick();
            return;
        }
        startLoad(false);
    });
}

void TfrmMain::btnExtrZipClick()
{
    if (state_.QueryFileName.empty()) return;
    ShowReady(lblReady_, QStringLiteral("Extrahiere !"));
    startLoad(true);
}

void TfrmMain::startLoad(bool zip)
{
    stepIsOpen_ = true;
    stepIsZip_ = zip;
    beginStep(StepKind::Load);
    auto progress = std::make_shared<OpenProgress>();
    openProgress_ = progress;
    gaugeStarted_ = false;
    // Told before the work starts, so that whatever a listener queues comes
    // before the step's end.
    emit stepStarted(false);
    if (!stepActive_) return;  // stopped right away
    auto lines = std::make_shared<std::unique_ptr<QueryText>>();
    const std::string path = state_.QueryFileName;
    step_->start(
        [progress, lines, path](const CancelToken& stop) {
            *lines = std::make_unique<QueryText>(OpenQuery(path, *progress, &stop));
        },
        [this, lines](std::exception_ptr failure) {
            Guarded(this, [&] {
                showStepProgress();  // the extraction's last figures
                openProgress_.reset();
                if (failure) {
                    // The previous lines and results stay; the labels keep
                    // what the reading showed last.
                    endStep();
                    std::rethrow_exception(failure);
                }
                incoming_ = std::move(*lines);
                if (!stepIsZip_) pbProgress_->setValue(100);
                ShowReady(lblReady_, QStringLiteral("FERTIG !"));
                analyse();
            });
        });
}

void TfrmMain::takeIncoming()
{
    if (!incoming_) return;
    state_.QueryLines = std::move(*incoming_);
    incoming_.reset();
}

void TfrmMain::btnExtrDatenClick()
{
    if (busy()) return;
    stepIsOpen_ = false;
    beginStep(StepKind::Scan);
    analyse();
}

void TfrmMain::analyse()
{
    try {
        if (state_.PolygonsPending) {
            // Nothing runs beside the window while the loader shows.
            hideStepProgress();
            windows_.frmPoly->exec();
            state_.PolygonsPending = false;
            showBoundaryState();
        }
        const QueryText& lines = incoming_ ? *incoming_ : state_.QueryLines;
        if (!lines.Empty()) {
            if (const std::optional<std::string> queryDate = IsMyFindsQuery(lines)) {
                lblQueryDatum_->setText(FromUtf8(*queryDate));
                lblQueryDatum_->adjustSize();
                startScan(false);
                return;
            }
        }
    } catch (...) {
        // The lines were loaded: a later re-scan reads them.
        takeIncoming();
        endStep();
        throw;
    }
    const bool loaded = incoming_ ? !incoming_->Empty() : !state_.QueryLines.Empty();
    takeIncoming();
    endStep();
    if (!loaded) return;
    lblWebNIP_->setCursor(Qt::ArrowCursor);
    ShowNotMyFindsBox();
}

void TfrmMain::cboxStichtagClick()
{
    if (busy()) return;
    before_.cutoff = state_.CutoffEnabled;
    stepIsOpen_ = false;
    beginStep(StepKind::Scan);
    bbtnCheckRLP_->setEnabled(false);
    startScan(true);
}

void TfrmMain::startScan(bool rescan)
{
    stepKind_ = StepKind::Scan;
    stepClock_.start();
    progressTimer_->start();
    showStepProgress();
    emit stepStarted(true);
    if (!stepActive_) return;  // stopped right away
    // The scan fills results of its own; the window's stay as they are
    // until it ends.
    scanned_ = std::make_unique<AppState>();
    AppState* results = scanned_.get();
    // A folder a cleaner removed is made anew here, before the scan and the
    // placemark files after it rely on it. Where that fails, the writer of the
    // files says so once the list shows.
    if (state_.RestoreTempDir) {
        try {
            state_.TempDir = state_.RestoreTempDir();
        } catch (const UserError&) {
        }
    }
    results->TempDir = state_.TempDir;
    results->QueryFileName = state_.QueryFileName;
    results->CutoffEnabled = rescan ? cboxStichtag_->isChecked() : state_.CutoffEnabled;
    results->PlacemarkCapTold = state_.PlacemarkCapTold;
    const QueryText* lines = incoming_ ? incoming_.get() : &state_.QueryLines;
    const DistrictMap* districts = &state_.PolyTable;
    const bool bounded = BoundariesLoaded(state_);
    auto scan = std::make_shared<QueryScan>();
    step_->start(
        [results, lines, districts, bounded, scan](const CancelToken& stop) {
            *scan = ScanQuery(*results, ScanSource{*lines, *districts, &stop, true, bounded});
        },
        [this, scan, rescan](std::exception_ptr failure) { Guarded(this, [&] { scanDone(*scan, failure, rescan); }); });
}

void TfrmMain::scanDone(const QueryScan& scan, std::exception_ptr failure, bool rescan)
{
    // The lines and the results become the window's, also those a failed
    // scan made before its error.
    const std::unique_ptr<AppState> results = std::move(scanned_);
    takeIncoming();
    std::vector<std::string> stale = std::move(state_.PlacemarkFiles);
    state_.CutoffEnabled = results->CutoffEnabled;
    state_.Rows = std::move(results->Rows);
    state_.DistrictTally = results->DistrictTally;
    state_.CutOffTally = results->CutOffTally;
    state_.NotInPolygonCount = results->NotInPolygonCount;
    state_.NIPList = std::move(results->NIPList);
    state_.PlacemarkFiles = std::move(results->PlacemarkFiles);
    state_.PlacemarkTexts = std::move(results->PlacemarkTexts);
    state_.PlacemarkFilesCapped = results->PlacemarkFilesCapped;
    state_.PlacemarkCapTold = results->PlacemarkCapTold;
    listModel_->refresh();
    // The list shows; the placemark files follow beside the window.
    startPlacemarkFiles(std::move(stale));
    endStep();
    emit scanFinished();
    if (failure) std::rethrow_exception(failure);
    showCounts(scan.Rows);
    if (!rescan) lblWebNIP_->setCursor(Qt::PointingHandCursor);
    ShowScanNotice(this, scan);
    // A file cut short keeps the rows read; the error box says it is incomplete.
    if (!scan.Incomplete.empty()) throw UserError(scan.Incomplete);
}

}  // namespace ql::ui
