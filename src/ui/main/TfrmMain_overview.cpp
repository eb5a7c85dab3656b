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
