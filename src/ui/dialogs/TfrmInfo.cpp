#include "ui/dialogs/TfrmInfo.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include "state/app_state.h"
#include "info/system_text.h"
#include "base/user_error.h"
#include "reports/web_hosts.h"
#include "platform/platform.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Icons.h"
#include "ui/common/MakerLogo.h"
#include "ui/common/Placement.h"

namespace ql::ui {

namespace {

constexpr int ClientWidth = 572;
constexpr int ClientHeight = 537;

const DesignRow InfoDesign[] = {
    // name            left  top  width height
    {"PageControl2",     10,  20,  552, 454},
    {"Image1",           11,  30,  161, 153},
    {"Panel1",          179,  15,  361, 173},
    {"Label2",           10,  34,    0,   0},
    {"Label4",           10,  74,    0,   0},
    {"lblV",             10, 105,    0,   0},
    {"lblVersion",       78, 105,    0,   0},
    {"sbtnCopyright",    10, 132,  346,  41},
    {"Bevel2",           11, 196,  519,   2},
    {"Panel3",           11, 215,  494, 168},
    {"lblOS",             8,  18,    0,   0},
    {"Label8",            8,  52,    0,   0},
    {"Label10",           8,  72,    0,   0},
    {"Label9",            8, 106,    0,   0},
    {"Label11",           8, 126,    0,   0},
    {"rtfHistorie",      16,  16,  505, 393},
    {"BitBtnSys",       290, 487,  130,  36},
    {"BitBtnOK",        428, 487,  130,  36},
};

// The four value labels of Panel3 share their right edge, 344, whatever their
// text; where a wider stand-in font would make a figure run into its caption,
// all four move right together as far as needed.
constexpr int ValueRightEdge = 344;
constexpr int ValueGap = 6;
struct ValueRow {
    const char* name;
    const char* caption;
    int top;
};
const ValueRow ValueDesign[] = {
    // name                 caption    top
    {"lblMemory",           "Label8",   52},
    {"lblMemoryAvail",      "Label10",  72},
    {"lblPageMemory",       "Label9",  106},
    {"lblPageMemoryAvail",  "Label11", 126},
};

const QString Arial = QStringLiteral("Arial");
const QString MsSansSerif = QStringLiteral("MS Sans Serif");

// Colours of the design, as red, green, blue.
const QColor PanelGrey(224, 223, 227), OsRed(225, 0, 0), Maroon(128, 0, 0), Purple(128, 0, 128),
    PageBlue(0, 0, 160), PageGreen(0, 64, 0), HistoryBlue(0, 0, 191);

QFrame* MakePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

// Places the four value labels of a panel by their common right edge.
void AlignValues(QWidget* panel)
{
    int right = Scaled(ValueRightEdge);
    for (const ValueRow& row : ValueDesign) {
        auto* value = panel->findChild<QLabel*>(QLatin1String(row.name));
        auto* caption = panel->findChild<QLabel*>(QLatin1String(row.caption));
        if (value && caption) right = std::max(right, caption->geometry().right() + 1 + Scaled(ValueGap) + value->width());
    }
    for (const ValueRow& row : ValueDesign)
        if (auto* value = panel->findChild<QLabel*>(QLatin1String(row.name)))
            value->move(right - value->width(), Scaled(row.top));
}

}  // namespace

TfrmInfo::TfrmInfo(AppState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Information"));
    // Dialog border: fixed size, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFont(DesignFont(14, false, MsSansSerif));
    buildControls();
    setFixedSize(ScaledSize(ClientWidth, ClientHeight));
}

TfrmInfo::~TfrmInfo() = default;

void TfrmInfo::buildControls()
{
    PageControl2_ = new QTabWidget(this);
    PageControl2_->setObjectName(QStringLiteral("PageControl2"));
    PageControl2_->tabBar()->setAttribute(Qt::WA_Hover);  // tabs highlight under the mouse

    tbAllgemeines_ = new QWidget;
    tbAllgemeines_->setObjectName(QStringLiteral("tbAllgemeines"));
    PageControl2_->addTab(tbAllgemeines_, QStringLiteral("Allgemeines"));
    auto* tbHistorie = new QWidget;
    tbHistorie->setObjectName(QStringLiteral("tbHistorie"));
    PageControl2_->addTab(tbHistorie, QStringLiteral("Historie"));

    auto* image = new QLabel(tbAllgemeines_);
    image->setObjectName(QStringLiteral("Image1"));
    image->setScaledContents(true);  // stretched to its frame
    image->setPixmap(MakerLogo());

    QFrame* panel1 = MakePanel(tbAllgemeines_, "Panel1");
    MakeLabel(panel1, "Label2", QStringLiteral("Zellgrenz"), DesignFont(27, true, Arial));
    MakeLabel(panel1, "Label4", QStringLiteral("Vezuve-Zodu"), DesignFont(20, false, Arial));
    MakeLabel(panel1, "lblV", QStringLiteral("Version:"), DesignFont(17, false, Arial));
    lblVersion_ = MakeLabel(panel1, "lblVersion", QStringLiteral("0.0.0.0"), DesignFont(17, false, Arial));
    sbtnCopyright_ = new QToolButton(panel1);
    sbtnCopyright_->setObjectName(QStringLiteral("sbtnCopyright"));
    sbtnCopyright_->setAutoRaise(true);  // flat
    sbtnCopyright_->setFocusPolicy(Qt::NoFocus);
    sbtnCopyright_->setCursor(Qt::PointingHandCursor);
    sbtnCopyright_->setFont(DesignFont(17, false, Arial));

    auto* bevel = new QFrame(tbAllgemeines_);
    bevel->setObjectName(QStringLiteral("Bevel2"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Raised);

    QFrame* panel3 = MakePanel(tbAllgemeines_, "Panel3");
    panel3->setAutoFillBackground(true);
    SetColour(panel3, QPalette::Window, PanelGrey);
    const QFont figures = DesignFont(15, false, MsSansSerif);
    lblOS_ = MakeLabel(panel3, "lblOS", {}, DesignFont(15, false, Arial), OsRed);
    MakeLabel(panel3, "Label8", QStringLiteral("Phys. Windows - Speicher:"), figures, Maroon);
    MakeLabel(panel3, "Label10", QStringLiteral("Verfügb. Phys.  Windows - Speicher:"), figures, Purple);
    MakeLabel(panel3, "Label9", QStringLiteral("Auslagerungsspeicher:"), figures, PageBlue);
    MakeLabel(panel3, "Label11", QStringLiteral("Verfügbarer Auslagerungsspeicher:"), figures, PageGreen);
    const QString designFigure = QStringLiteral("65.536 KB");
    lblMemory_ = MakeLabel(panel3, "lblMemory", designFigure, figures, Maroon);
    lblMemoryAvail_ = MakeLabel(panel3, "lblMemoryAvail", designFigure, figures, Purple);
    lblPageMemory_ = MakeLabel(panel3, "lblPageMemory", designFigure, figures, PageBlue);
    lblPageMemoryAvail_ = MakeLabel(panel3, "lblPageMemoryAvail", designFigure, figures, PageGreen);
    for (QLabel* value : {lblMemory_, lblMemoryAvail_, lblPageMemory_, lblPageMemoryAvail_}) {
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->adjustSize();
    }

    rtfHistorie_ = new QTextEdit(tbHistorie);
    rtfHistorie_->setObjectName(QStringLiteral("rtfHistorie"));
    rtfHistorie_->setReadOnly(true);
    rtfHistorie_->setAcceptRichText(false);
    rtfHistorie_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rtfHistorie_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rtfHistorie_->setFont(DesignFont(13, false, MsSansSerif));
    SetColour(rtfHistorie_, QPalette::Text, HistoryBlue);
    rtfHistorie_->setPlainText(QStringLiteral("rtfHistorie"));

    BitBtnSys_ = new QPushButton(QStringLiteral("&SystemInfo..."), this);
    BitBtnSys_->setObjectName(QStringLiteral("BitBtnSys"));
    BitBtnSys_->setAutoDefault(false);
    BitBtnOK_ = MakeOkButton(this, "BitBtnOK", QStringLiteral("&OK"), QSize(18, 18));
    BitBtnOK_->setFont(DesignFont(15, true, MsSansSerif));
    BitBtnOK_->setDefault(true);

    auto* placement = new Placement(this, ClientWidth, ClientHeight);
    placement->apply(InfoDesign, std::size(InfoDesign));
    AlignValues(panel3);

    // Keyboard focus: OK, SystemInfo, the page tabs.
    setTabOrder(BitBtnOK_, BitBtnSys_);
    setTabOrder(BitBtnSys_, PageControl2_);
    BitBtnOK_->setFocus();

    ConnectGuarded(BitBtnOK_, &QPushButton::clicked, this, &TfrmInfo::BitBtnOKClick);
    ConnectGuarded(BitBtnSys_, &QPushButton::clicked, this, &TfrmInfo::BitBtnSysClick);
    ConnectGuarded(sbtnCopyright_, &QToolButton::clicked, this, &TfrmInfo::shellExecClick);
}

void TfrmInfo::FormCreate()
{
    sbtnCopyright_->setText(FromUtf8(MakerNotice));
    // RTF documents show their text without formatting; plain text by its byte-order mark.
    const std::string bytes = platform::ReadWholeFile(state_.ProgramDir + "Historie.txt");
    rtfHistorie_->setPlainText(QString::fromStdString(HistoryText(bytes)));
}

void TfrmInfo::FormActivate()
{
    const std::optional<platform::MemoryStatus> memory = platform::QueryMemoryStatus();
    if (!memory) {
        const int code = platform::LastError();
        throw UserError(SystemErrorText(code, platform::ErrorText(code)));
    }
    // 0.0.0.0 without version information.
    const platform::FileVersion version =
        platform::GetFileVersionNumbers(platform::ExecutablePath()).value_or(platform::FileVersion{});

    PageControl2_->setCurrentWidget(tbAllgemeines_);
    SetLabelText(lblVersion_, QString::fromStdString(VersionText(version)));
    SetLabelText(lblOS_, QString::fromStdString(WindowsVersionText(platform::QueryOsVersion(), state_.NativeArchitecture)));
    const std::string separator = platform::ThousandsSeparator();
    SetLabelText(lblMemory_, QString::fromStdString(KilobyteText(memory->TotalPhys, separator)));
    SetLabelText(lblMemoryAvail_, QString::fromStdString(KilobyteText(memory->AvailPhys, separator)));
    SetLabelText(lblPageMemory_, QString::fromStdString(KilobyteText(memory->TotalPageFile, separator)));
    SetLabelText(lblPageMemoryAvail_, QString::fromStdString(KilobyteText(memory->AvailPageFile, separator)));
    AlignValues(lblMemory_->parentWidget());
}

void TfrmInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(this);
    // A modal window becomes active by being shown; the figures follow once
    // it is on the screen, so an error box stands over the window.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) Guarded(this, [&] { FormActivate(); });
    });
}

void TfrmInfo::BitBtnOKClick()
{
    accept();
}

void TfrmInfo::BitBtnSysClick()
{
    platform::StartSystemInfoTool();  // a tool that cannot start is not reported
}

void TfrmInfo::shellExecClick()
{
    const int result = platform::ShellOpen(std::string(MakerSiteAddress), "Stuttgart");
    ShellErrorMessage(result);
    BitBtnOK_->setFocus();
}

void TfrmInfo::ShellErrorMessage(int code)
{
    if (!ShellResultIsError(code)) return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Fataler Dateifehler !"), FromUtf8(ShellErrorText(code)),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ShellErrorBox"));
    box.exec();
}

}  // namespace ql::ui
