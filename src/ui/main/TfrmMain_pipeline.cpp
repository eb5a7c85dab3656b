// The main window's query pipeline: open dialog, direct GPX load, the
// analysis run and the cut-off re-scan.

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "base/user_error.h"
#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "scan/query_scan.h"
#include "scan/scanner.h"
#include "ui/main/CacheListModel.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/common/Windows.h"

namespace ql::ui {

namespace {

const QString NotMyFindsText = QStringLiteral(" Fehler !  Das ist keine MyFinds Query - Datei .");

// The list shows the rows the scan made, also when the scan ended with an error.
class ListRefresh {
public:
    explicit ListRefresh(CacheListModel& model) : model_(model) {}
    ~ListRefresh() { model_.refresh(); }

private:
    CacheListModel& model_;
};

// A control that is off while an action runs and on again however the action
// ends, before an error of the action shows.
class DisabledWhileRunning {
public:
    explicit DisabledWhileRunning(QWidget* control) : control_(control) { control_->setEnabled(false); }
    ~DisabledWhileRunning() { control_->setEnabled(true); }
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

private:
    QWidget* control_;
};

// Tells the windows that follow the scans that one has ended, also with an error.
class ScanNotice {
public:
    explicit ScanNotice(TfrmMain& window) : window_(window) {}
    ~ScanNotice() { emit window_.scanFinished(); }

private:
    TfrmMain& window_;
};

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
        // The system's own form of the path (backslashes on Windows).
        const QString path = QDir::toNativeSeparators(fileName);
        state_.QueryFileName = path.toStdString();
        lblDateiname_->setText(path);
        lblDateiname_->adjustSize();
        if (HasZipExtension(state_.QueryFileName)) {
            btnExtrZipClick();
            return;
        }
        state_.QueryLines = OpenQuery(state_.QueryFileName);
        pbProgress_->setValue(100);
        lblReady_->setText(QStringLiteral("FERTIG !"));
        lblReady_->adjustSize();
        lblReady_->show();
        btnExtrDatenClick();
    });
}

void TfrmMain::btnExtrDatenClick()
{
    if (state_.PolygonsPending) {
        windows_.frmPoly->exec();
        state_.PolygonsPending = false;
        showBoundaryState();
    }
    if (state_.QueryLines.Empty()) return;

    if (const std::optional<std::string> queryDate = IsMyFindsQuery(state_.QueryLines)) {
        lblQueryDatum_->setText(FromUtf8(*queryDate));
        lblQueryDatum_->adjustSize();
        QueryScan scan;
        {
            ScanNotice notice(*this);
            ListRefresh refresh(*listModel_);
            scan = ScanQuery(state_);
        }
        showCounts(scan.Rows);
        lblWebNIP_->setCursor(Qt::PointingHandCursor);
        ShowScanNotice(this, scan);
        // A file cut short keeps the rows read; the error box says it is incomplete.
        if (!scan.Incomplete.empty()) throw UserError(scan.Incomplete);
    } else {
        lblWebNIP_->setCursor(Qt::ArrowCursor);
        ShowNotMyFindsBox();
    }
}

void TfrmMain::cboxStichtagClick()
{
    state_.CutoffEnabled = cboxStichtag_->isChecked();
    const DisabledWhileRunning checkOff(bbtnCheckRLP_);
    QueryScan scan;
    {
        ScanNotice notice(*this);
        ListRefresh refresh(*listModel_);
        scan = ScanQuery(state_);
    }
    showCounts(scan.Rows);
    ShowScanNotice(this, scan);
    if (!scan.Incomplete.empty()) throw UserError(scan.Incomplete);
}

}  // namespace ql::ui
