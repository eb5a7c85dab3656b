#pragma once
// The six windows of the program, created hidden in start-up order.

#include <memory>

#include "platform/platform.h"

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmMain;
class TfrmPoly;
class TfrmInfo;
class TfrmLK;
class TfrmFK;
class TfrmWeb;
class TfrmOverview;

struct Windows {
    // Declared in creation order; destroyed in reverse.
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmPoly> frmPoly;
    std::unique_ptr<TfrmInfo> frmInfo;
    std::unique_ptr<TfrmLK> frmLK;
    std::unique_ptr<TfrmFK> frmFK;
    std::unique_ptr<TfrmWeb> frmWeb;
    std::unique_ptr<TfrmOverview> frmOverview;  // made when first opened

    Windows();
    ~Windows();
};

// Creates the six windows in order, each running its creation step (an error
// there shows in the error box and start-up goes on), and wires them together.
std::unique_ptr<Windows> CreateWindows(AppState& state, platform::RegistryReader& registry);

}  // namespace ql::ui
