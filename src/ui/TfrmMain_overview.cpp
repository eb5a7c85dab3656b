// The main window's way to the district overview: made when first opened,
// then shown again; it follows every scan through scanFinished.

#include "state/app_state.h"
#include "ui/CandidatePanel.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmOverview.h"
#include "ui/ErrorBox.h"
#include "ui/Windows.h"

namespace ql::ui {

void TfrmMain::mnuUebersichtClick()
{
    if (!windows_.frmOverview) {
        windows_.frmOverview = std::make_unique<TfrmOverview>(state_);
        connect(this, &TfrmMain::scanFinished, windows_.frmOverview.get(), [this] {
            TfrmOverview* overview = windows_.frmOverview.get();
            Guarded(overview, [&] { overview->ScanFinished(); });
        });
    }
    TfrmOverview* overview = windows_.frmOverview.get();
    if (!overview->isVisible()) overview->ScanFinished();  // a closed window followed no scan
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
