// The main window's ZIP path: the first GPX entry of the archive into the
// query lines, with the extraction's progress on the gauge.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

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
        if (w_.lblReady_->text() != QStringLiteral("Extracting: ")) {
            w_.lblReady_->setText(QStringLiteral("Extracting: "));
            w_.lblReady_->adjustSize();
        }
        QApplication::processEvents();
    }

    void OnOverallProgress(double percent) override  // ArchiverOverallProgress
    {
        // Truncated to a whole percent; within one extraction the gauge never goes back.
        int value = std::clamp(static_cast<int>(percent), 0, 100);
        if (started_) value = std::max(value, w_.pbProgress_->value());
        started_ = true;
        w_.pbProgress_->setValue(value);
        QApplication::processEvents();
    }

private:
    TfrmMain& w_;
    bool started_ = false;
};

namespace {

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
        MainWindowArchiveProgress progress(*this);
        // The decoded entry becomes the query buffer itself; on a failure the
        // previous lines stay.
        state_.QueryLines = QueryText::FromBuffer(ExtractFirstGpx(state_.QueryFileName, progress));
    }

    lblReady_->setText(QStringLiteral("FERTIG !"));
    lblReady_->adjustSize();
    btnExtrDatenClick();
}

}  // namespace ql::ui
