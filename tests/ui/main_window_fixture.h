#pragma once
// The main window shown with its five companions, polygons already loaded, no
// error box recorded yet; controls looked up by their design names.

#include <QLabel>
#include <QString>

#include <gtest/gtest.h>

#include "support/ui_support.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/TfrmMain.h"

namespace ql::test {

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        fx.state.PolygonsPending = false;  // the loader window has tests of its own
        fx.createWindows();
        main = fx.windows->frmMain.get();
        main->show();
        ui::ErrorBoxHistory().clear();
    }
    template <class T>
    T* child(const char* name)
    {
        return main->findChild<T*>(QString::fromLatin1(name));
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }

    UiFixture fx;
    ui::TfrmMain* main = nullptr;
};

}  // namespace ql::test
