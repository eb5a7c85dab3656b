// The main window's ZIP path: the first GPX entry of the archive into the
// query lines, with the extraction's progress on the gauge.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "archive/extract.h"
#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "ui/main/TfrmMain.h"

namespace ql::ui {

namespace {

// Shows the reader's progress on a status label and a gauge and lets the
// window repaint; it sees nothing else of the window.
class ArchiveProgressDisplay : public ExtractProgress {
public:
    ArchiveProgressDisplay(QLabel& status, QProgressBar& gauge) : status_(status), gauge_(gauge) {}

    void OnFileProgress(double) override  // ArchiverFileProgress
    {
        if (status_.text() != QStringLiteral("Extracting: ")) {
            status_.setText(QStringLiteral("Extracting: "));
            status_.adjustSize();
        }
        QApplication::processEvents();
    }

    void OnOverallProgress(double percent) override  // ArchiverOverallProgress
    {
        // Truncated to a whole percent; within one extraction the gauge never goes back.
        int value = std::clamp(static_cast<int>(percent), 0, 100);
        if (started_) value = std::max(value, gauge_.value());
        started_ = true;
        gauge_.setValue(value);
        QApplication::processEvents();
    }

private:
    QLabel& status_;
    QProgressBar& gauge_;
    bool started_ = false;
};

// The progress events let the window take input, so a second open command could
// start inside the first: the command is off while an extraction runs.
class OpenCommandLock {
public:
    OpenCommandLock(QAction* action, QPushButton* button)
        : action_(action), button_(button), actionWasOn_(action->isEnabled()), buttonWasOn_(button->isEnabled())
    {
        action_->setEnabled(false);
        button_->setEnabled(false);
    }
    ~OpenCommandLock()
    {
        action_->setEnabled(actionWasOn_);
        button_->setEnabled(buttonWasOn_);
    }
    OpenCommandLock(const OpenCommandLock&) = delete;
    OpenCommandLock& operator=(const OpenCommandLock&) = delete;

private:
    QAction* action_;
    QPushButton* button_;
    bool actionWasOn_;
    bool buttonWasOn_;
};

}  // namespace

void TfrmMain::btnExtrZipClick()
{
    if (state_.QueryFileName.empty()) return;
    lblReady_->setText(QStringLiteral("Extrahiere !"));
    lblReady_->adjustSize();
    lblReady_->show();

    {
        OpenCommandLock lock(FileOpen1_, bbtnOpen_);
        ArchiveProgressDisplay progress(*lblReady_, *pbProgress_);
        // The decoded entry becomes the query buffer itself; on a failure the
        // previous lines stay.
        state_.QueryLines = OpenQuery(state_.QueryFileName, progress);
    }

    lblReady_->setText(QStringLiteral("FERTIG !"));
    lblReady_->adjustSize();
    btnExtrDatenClick();
}

}  // namespace ql::ui
