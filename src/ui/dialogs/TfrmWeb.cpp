#include "ui/dialogs/TfrmWeb.h"

#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <QWindow>

#include "state/app_state.h"
#include "reports/nip_page.h"
#include "platform/platform.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/dialogs/NipView.h"
#include "ui/common/Placement.h"

namespace ql::ui {

namespace {

constexpr int ClientWidth = 1104;
constexpr int ClientHeight = 669;
constexpr int ScreenLeft = 20;
constexpr int ScreenTop = 20;

// name           left  top  width  height  anchors
constexpr DesignRow Design[] = {
    {"WebBrowser1",   24,  24,  1052,   580, AnchorsAll},
    {"btnWBBack",     40, 624,   129,    37, AnchorsLeftBottom},
};

}  // namespace

QString LocalFileOfLink(const QString& href)
{
    if (!href.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) return {};
    QString path = href.mid(5);
    while (path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\'))) path.remove(0, 1);
    if (path.isEmpty()) return {};
    // "C:" after the slashes is a drive; anything else a path from the root.
    const bool drive = path.size() >= 2 && path[0].isLetter() && path[1] == QLatin1Char(':');
    return QDir::toNativeSeparators(drive ? path : QLatin1Char('/') + path);
}

void NipView::openPlacemark(const QString& path)
{
    Guarded(window(), [&] {
        if (prepare_) prepare_(path.toStdString());
        platform::ShellOpen(path.toStdString());
    });
}

TfrmWeb::TfrmWeb(AppState& state, QWidget* parent) : QWidget(parent, Qt::Window), state_(state)
{
    setObjectName(QStringLiteral("frmWeb"));
    // Closing the main window ends the program, also while this window is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(DesignFont(13));

    WebBrowser1_ = MakeNipView(this);
    WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));

    btnWBBack_ = MakeButton(this, "btnWBBack", QStringLiteral("<"), DesignFont(17, true));
    btnWBBack_->setEnabled(false);

    ConnectGuarded(btnWBBack_, &QPushButton::clicked, this, &TfrmWeb::btnWBBackClick);
    // The back button is usable whenever the view has a page to go back to.
    ConnectGuarded(WebBrowser1_, &NipView::historyChanged, this, &TfrmWeb::updateBackButton);
    ConnectGuarded(WebBrowser1_, &NipView::loadFinished, this, &TfrmWeb::updateBackButton);

    ConnectGuarded(qGuiApp, &QGuiApplication::focusWindowChanged, this, &TfrmWeb::focusWindowChanged);

    // Escape closes the window, as it does the other windows that show results.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    resize(ScaledSize(ClientWidth, ClientHeight));
    auto* placement = new Placement(this, ClientWidth, ClientHeight);
    placement->apply(std::begin(Design), std::size(Design));
}

void TfrmWeb::FormCreate()
{
    setWindowTitle(QStringLiteral("Quenlorn: Nicht im Polygon!"));
    PageList_.clear();
    // A proper file address of the page's folder on every system: "file:///"
    // + "C:/dir/" on Windows, "file://" + "/opt/dir/" on POSIX (whose path
    // brings its own leading slash), with blanks and "#" percent-encoded.
    PageAddress_ = QUrl::fromLocalFile(QDir::fromNativeSeparators(QString::fromStdString(NipPageFolder(state_))))
                       .toString(QUrl::FullyEncoded);
    if (!PageAddress_.endsWith(QLatin1Char('/'))) PageAddress_ += QLatin1Char('/');
    move(ScreenLeft, ScreenTop);
}

void TfrmWeb::FormActivate()
{
    NIPCACHE2HTML();
}

void TfrmWeb::NIPCACHE2HTML()
{
    WriteNipPage(state_, PageList_);
    WebBrowser1_->load(QUrl(PageAddress_ + QString::fromLatin1(NipPageFileName.data(),
                                                               static_cast<int>(NipPageFileName.size()))));
}

void TfrmWeb::btnWBBackClick()
{
    WebBrowser1_->back();
}

void TfrmWeb::updateBackButton()
{
    btnWBBack_->setEnabled(WebBrowser1_->canGoBack());
}

void TfrmWeb::showEvent(QShowEvent* event)
{
    FitOnScreen(this);
    shownPending_ = true;
    QWidget::showEvent(event);
}

void TfrmWeb::hideEvent(QHideEvent* event)
{
    shownPending_ = false;
    QWidget::hideEvent(event);
}

// The page is rebuilt when this window gets the focus right after being shown,
// or from another top-level window of the program (the main window). Qt also
// activates the window when the user comes back from another application: the
// focus then comes from no window of ours and nothing is rebuilt, so a listing
// opened from the page stays. Focus coming back from a popup (the view's
// context menu) or from a box this window opened (its error box) is no switch
// either; rebuilding there would show a failed build's error box again and again.
void TfrmWeb::focusWindowChanged(QWindow* now)
{
    QWindow* before = previousFocus_.data();
    previousFocus_ = now;
    QWindow* self = windowHandle();
    if (!now || now != self) return;

    // Focus "coming" from this window itself (its box never took the focus) is no switch either.
    bool fromOwnWindow = false;
    if (before && before != self) {
        const bool popup = before->type() == Qt::Popup || before->type() == Qt::ToolTip;
        fromOwnWindow = !popup && before->transientParent() != self;
    }
    if (!shownPending_ && !fromOwnWindow) return;
    shownPending_ = false;
    FormActivate();
}

}  // namespace ql::ui
