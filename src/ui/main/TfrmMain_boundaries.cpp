// The main window and the district boundaries: the status line says when they
// are not loaded, and the Extras menu loads them again.

#include <QStatusBar>

#include "state/app_state.h"
#include "ui/common/Controls.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/common/Windows.h"

namespace ql::ui {

void TfrmMain::showBoundaryState()
{
    if (state_.PolygonLoadFailure.empty()) {
        statusBar()->clearMessage();
        return;
    }
    QString text = QStringLiteral("Kreisgrenzen nicht geladen: ") + FromUtf8(state_.PolygonLoadFailure);
    if (!state_.Rows.empty()) text += QStringLiteral(" Die Funde sind keinem Kreis zugeordnet.");
    text += QStringLiteral(" (Extras: Kreisgrenzen neu laden)");
    statusBar()->showMessage(text);
    statusBar()->setToolTip(text);
}

void TfrmMain::mnuKreisgrenzenClick()
{
    windows_.frmPoly->RequestRun();
    windows_.frmPoly->exec();
    state_.PolygonsPending = false;
    showBoundaryState();
    // The loaded finds are assigned to the new boundaries; without finds the
    // overview and its planner still follow the boundaries.
    if (!state_.QueryLines.Empty()) cboxStichtagClick();
    else emit scanFinished();
}

}  // namespace ql::ui
