#include "ui/common/Windows.h"

#include "state/app_state.h"
#include "ui/common/ErrorBox.h"
#include "ui/dialogs/TfrmFK.h"
#include "ui/dialogs/TfrmInfo.h"
#include "ui/dialogs/TfrmLK.h"
#include "ui/main/TfrmMain.h"
#include "ui/dialogs/TfrmPoly.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/dialogs/NipView.h"
#include "ui/dialogs/TfrmWeb.h"

namespace ql::ui {

Windows::Windows() = default;
Windows::~Windows() = default;

std::unique_ptr<Windows> CreateWindows(AppState& state, platform::RegistryReader& registry)
{
    auto w = std::make_unique<Windows>();
    w->frmMain = std::make_unique<TfrmMain>(state, registry, *w);
    Guarded(nullptr, [&] { w->frmMain->FormCreate(); });
    w->frmPoly = std::make_unique<TfrmPoly>(state);
    Guarded(nullptr, [&] { w->frmPoly->FormCreate(); });
    w->frmInfo = std::make_unique<TfrmInfo>(state);
    Guarded(nullptr, [&] { w->frmInfo->FormCreate(); });
    w->frmLK = std::make_unique<TfrmLK>(state);
    Guarded(nullptr, [&] { w->frmLK->FormCreate(); });
    w->frmFK = std::make_unique<TfrmFK>(state);
    Guarded(nullptr, [&] { w->frmFK->FormCreate(); });
    w->frmLK->setFinalCoordinatesWindow(w->frmFK.get());
    TfrmMain* main = w->frmMain.get();
    QObject::connect(w->frmLK.get(), &TfrmLK::overviewRequested, main,
                     [main] { Guarded(main, [&] { main->mnuUebersichtClick(); }); });
    w->frmWeb = std::make_unique<TfrmWeb>(state);
    Guarded(nullptr, [&] { w->frmWeb->FormCreate(); });
    // A placemark link followed before the file was written writes it first.
    w->frmWeb->browser()->setPlacemarkPreparer([main](const std::string& path) { main->EnsurePlacemarkFile(path); });
    return w;
}

}  // namespace ql::ui
