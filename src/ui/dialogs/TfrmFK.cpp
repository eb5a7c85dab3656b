#include "ui/dialogs/TfrmFK.h"

#include <QPushButton>

#include <string>

#include "reports/web_hosts.h"
#include "platform/platform.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Icons.h"
#include "ui/common/Placement.h"

namespace ql::ui {

namespace {

constexpr int ClientWidth = 378;
constexpr int ClientHeight = 188;

// name              left  top  width  height
constexpr DesignRow Design[] = {
    {"sbtnDownloadFK",  32,  32,   313,    33},
    {"sbtnOK",          80,  96,   209,    57},
};

QPushButton* FlatButton(QWidget* parent, const char* name, const QString& text, int fontPixels, const QColor& colour)
{
    QPushButton* button = MakeButton(parent, name, text, DesignFont(fontPixels));
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    SetColour(button, QPalette::ButtonText, colour);
    return button;
}

}  // namespace

TfrmFK::TfrmFK(AppState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("frmFK"));
    setModal(true);
    setFont(DesignFont(13));

    sbtnDownloadFK_ = FlatButton(this, "sbtnDownloadFK", QStringLiteral("Finalkoordinaten herunterladen"), 20,
                                 QColor(215, 0, 0));
    sbtnOK_ = FlatButton(this, "sbtnOK", QStringLiteral("OK"), 23, palette().color(QPalette::WindowText));
    sbtnOK_->setIcon(OkButtonPicture());
    sbtnOK_->setIconSize(QSize(Scaled(18), Scaled(18)));

    ConnectGuarded(sbtnDownloadFK_, &QPushButton::clicked, this, &TfrmFK::sbtnDownloadFKClick);
    ConnectGuarded(sbtnOK_, &QPushButton::clicked, this, &TfrmFK::sbtnOKClick);

    resize(ScaledSize(ClientWidth, ClientHeight));
    auto* placement = new Placement(this, ClientWidth, ClientHeight);
    placement->apply(std::begin(Design), std::size(Design));
}

void TfrmFK::FormCreate()
{
    setWindowTitle(QStringLiteral("Finalkoordinaten"));
}

void TfrmFK::sbtnDownloadFKClick()
{
    // The shell's answer is not looked at: a missing browser is the desktop's business.
    platform::ShellOpen(std::string(DocumentSiteBase) + std::string(FinalCoordinatesPath));
}

void TfrmFK::sbtnOKClick()
{
    accept();
}

void TfrmFK::showEvent(QShowEvent* event)
{
    CentreOnScreen(this);
    QDialog::showEvent(event);
}

}  // namespace ql::ui
