// The main window's ZIP path: the first GPX entry of the archive into the
// query lines, with the extraction's progress on the gauge.

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include "archive/extract.h"
#include "core/app_state.h"
#include "core/query_text.h"
#include "ui/TfrmMain.h"

namespace ql::ui {

// Shows the reader's progress in the main window and lets it repaint.
class MainWindowArchiveProgress : public ExtractProgress {
public:
    explicit MainWindowArchiveProgress(TfrmMain& window) : w_(window) {}

    void OnFileProgress(double) override  // ArchiverFileProgress
    {
        w_.lblReady_->setText(QStringLiteral("Extracting: "));
        w_.lblReady_->adjustSize();
        QApplication::processEvents();
    }

    void OnOverallProgress(double percent) override  // ArchiverOverallProgress
    {
        w_.pbProgress_->setValue(static_cast<int>(percent));
        QApplication::processEvents();
    }

private:
    TfrmMain& w_;
};

void TfrmMain::btnExtrZipClick()
{
    if (state_.QueryFileName.empty()) return;
    lblReady_->setText(QStringLiteral("Extrahiere !"));
    lblReady_->adjustSize();
    lblReady_->show();

    MainWindowArchiveProgress progress(*this);
    std::string bytes = ExtractFirstGpx(state_.QueryFileName, progress);
    state_.QueryLines = QueryText::FromBytes(std::move(bytes));

    lblReady_->setText(QStringLiteral("FERTIG !"));
    lblReady_->adjustSize();
    btnExtrDatenClick();
}

}  // namespace ql::ui
