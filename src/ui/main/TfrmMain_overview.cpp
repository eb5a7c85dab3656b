// The main window's way to the district overview: made when first opened,
// then shown again; it follows every scan through scanFinished.

#include "state/app_state.h"
#include "ui/planner/CandidatePanel.h"
#include "ui/main/TfrmMain.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Windows.h"

namespace ql::ui {

void TfrmMain::mnuUebersichtClick()
{
    const bool made = !windows_.frmOverview;
    if (made) {
        windows_.frmOverview = std::make_unique<TfrmOverview>(state_);
        TfrmOverview* overview = windows_.frmOverview.get();
        connect(this, &TfrmMain::scanFinished, overview, [overview] {
            if (overview->isVisible()) Guarded(overview, [&] { overview->ScanFinished(); });
        });
        // The overview makes no figures from the query's lines while a step
        // of this window may replace them.
        connect(this, &TfrmMain::stepStarted, overview, [overview] { overview->holdFigures(true); });
        connect(this, &TfrmMain::stepEnded, overview, [overview] { overview->holdFigures(false); });
        overview->holdFigures(busy());
    }
    TfrmOverview* overview = windows_.frmOverview.get();
    if (!made && !overview->isVisible()) overview->ScanFinished();  // a closed window followed no scan
    overview->show();
    overview->raise();
    overview->activateWindow();
}

void TfrmMain::mnuSuchlisteClick()
{
    mnuUebersichtClick();
    TfrmOverview* overview = windows_.frmOverview.get();
    Guarded(overview, [&] { overview->planner()->btnLadenClick(); });
}

}  // namespace ql::ui
