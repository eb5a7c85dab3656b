#include "ui/main/TfrmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "state/app_state.h"
#include "reports/web_hosts.h"
#include "scan/placemark.h"
#include "scan/placemark_files_beside.h"
#include "query/query_text.h"
#include "ui/common/StepBeside.h"
#include "districts/polygon_files.h"
#include "ui/main/CacheListModel.h"
#include "ui/main/ListCellDelegate.h"
#include "ui/main/TextWarmUp.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Icons.h"
#include "ui/common/PercentGauge.h"
#include "ui/common/Placement.h"
#include "ui/dialogs/TfrmInfo.h"
#include "ui/dialogs/TfrmLK.h"
#include "ui/dialogs/TfrmWeb.h"
#include "ui/common/Windows.h"

namespace ql::ui {

namespace {

// Client area of the design, less the status bar along its bottom edge.
constexpr int ClientWidth = 1123;
constexpr int ClientHeight = 662;
constexpr int StatusBarHeight = 22;
// Smallest whole window, and the frame a sizable window adds around its client area.
constexpr int MinWindowWidth = 1000;
constexpr int MinWindowHeight = 700;
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 38;

const DesignRow MainDesign[] = {
    // name              left  top  width height  anchors
    {"GroupBox1",          23,    8, 1073,  65},
    {"lblDateiname",        3,    3,    0,   0},
    {"lblQuery",            3,   33,    0,   0},
    {"lblQueryDatum",     108,   33,    0,   0},
    {"Label2",            451,   30,    0,   0},
    {"lblAnzahlCache",    592,   30,    0,   0},
    {"lblWebNIP",         696,   30,    0,   0},
    {"lblAnzahlNIP",      858,   30,    0,   0},
    {"lblReady",          696,    7,    0,   0},
    {"pbProgress",        829,    7,  233,  20},
    {"PageControl1",       23,   79, 1077, 445, AnchorsAll},
    {"bbtnOpen",           27,  541,  193,  73, AnchorsLeftBottom},
    {"bbtnCheckRLP",      249,  541,  193,  73, AnchorsLeftBottom},
    {"bbtnExit",          497,  541,  193,  73, AnchorsLeftBottom},
    {"SpeedButton1",      764,  552,    0,   0, AnchorsLeftBottom},  // 85 x 31, grown to its text
    {"cboxStichtag",      764,  589,  109,  25, AnchorsLeftBottom},
    {"Label1",            879,  588,    0,   0, AnchorsLeftBottom},
};

// Colours of the design, as red, green, blue.
const QColor Green(0, 128, 0), Navy(0, 0, 128), Red(255, 0, 0), DarkRed(215, 0, 0), Orange(255, 128, 0),
    DarkOrange(221, 111, 0), Purple(128, 0, 128);

// List columns: widths in screen pixels, set at creation.
constexpr int ColumnWidths[CacheListModel::ColumnCount] = {100, 25, 300, 35, 35, 100, 200, 120, 120};

}  // namespace

TfrmMain::TfrmMain(AppState& state, platform::RegistryReader& registry, Windows& windows)
    : state_(state), registry_(registry), windows_(windows)
{
    setObjectName(QStringLiteral("frmMain"));
    setFont(DesignFont(13));
    buildControls();
    buildMenu();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setFixedHeight(Scaled(StatusBarHeight));
    setStatusBar(status);
    buildStepControls();

    resize(Scaled(ClientWidth), Scaled(ClientHeight) + menuBar()->sizeHint().height());
    setMinimumSize(Scaled(MinWindowWidth - FrameWidth), Scaled(MinWindowHeight - FrameHeight));
}

TfrmMain::~TfrmMain()
{
    // The step and the placemark files end before what they use goes.
    step_->stop();
    stopPlacemarkFiles();
}

void TfrmMain::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    client->resize(Scaled(ClientWidth), Scaled(ClientHeight - StatusBarHeight));
    setCentralWidget(client);

    auto* group = new QGroupBox(client);
    group->setObjectName(QStringLiteral("GroupBox1"));
    lblDateiname_ = MakeLabel(group, "lblDateiname", {}, DesignFont(20), Green);
    MakeLabel(group, "lblQuery", QStringLiteral("Query vom:"), DesignFont(17, true), Navy);
    lblQueryDatum_ = MakeLabel(group, "lblQueryDatum", {}, DesignFont(17, true), Navy);
    MakeLabel(group, "Label2", QStringLiteral("Anzahl Founds:"), DesignFont(20), Red);
    lblAnzahlCache_ = MakeLabel(group, "lblAnzahlCache", {}, DesignFont(20, true), DarkRed);
    lblWebNIP_ = MakeLabel(group, "lblWebNIP", QStringLiteral("Nicht im Polygon:"), DesignFont(20), Orange);
    lblWebNIP_->installEventFilter(this);
    lblAnzahlNIP_ = MakeLabel(group, "lblAnzahlNIP", {}, DesignFont(20, true), DarkOrange);
    lblReady_ = MakeLabel(group, "lblReady", {}, DesignFont(20, true), Purple);
    lblReady_->hide();

    pbProgress_ = new PercentGauge(group);
    pbProgress_->setObjectName(QStringLiteral("pbProgress"));

    PageControl1_ = new QTabWidget(client);
    PageControl1_->setObjectName(QStringLiteral("PageControl1"));
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1_->addTab(tab, QStringLiteral("Daten"));
    ListView1_ = new QTableView(tab);
    ListView1_->setObjectName(QStringLiteral("ListView1"));
    ListView1_->setFont(DesignFont(15));
    listModel_ = new CacheListModel(state_.Rows, this);
    ListView1_->setModel(listModel_);
    ListView1_->setItemDelegate(new ListCellDelegate(ListView1_));
    ListView1_->verticalHeader()->hide();
    ListView1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ListView1_->verticalHeader()->setDefaultSectionSize(QFontMetrics(ListView1_->font()).height() + 4);
    ListView1_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ListView1_->horizontalHeader()->setHighlightSections(false);
    ListView1_->setIconSize(QSize(16, 16));
    ListView1_->setSortingEnabled(false);
    ListView1_->setWordWrap(false);
    ListView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* tabLayout = new QHBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(ListView1_);

    bbtnOpen_ = MakeButton(client, "bbtnOpen", QStringLiteral("Ö&ffnen..."), DesignFont(20));
    bbtnCheckRLP_ = MakeButton(client, "bbtnCheckRLP", QStringLiteral("Check RLP"), DesignFont(20));
    bbtnCheckRLP_->setIcon(CheckRlpButtonPicture());
    bbtnCheckRLP_->setIconSize(QSize(24, 24));
    bbtnExit_ = MakeButton(client, "bbtnExit", QStringLiteral("&Beenden"), DesignFont(20));

    SpeedButton1_ = new QToolButton(client);
    SpeedButton1_->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1_->setText(QString::fromLatin1(ChallengeCacheCode.data(), ChallengeCacheCode.size()));
    SpeedButton1_->setAutoRaise(true);
    SpeedButton1_->setFocusPolicy(Qt::NoFocus);
    SpeedButton1_->setCursor(Qt::PointingHandCursor);
    SpeedButton1_->setFont(DesignFont(20));
    SpeedButton1_->setStyleSheet(QStringLiteral("QToolButton { color: #000080; padding: 0px; }"));

    cboxStichtag_ = new QCheckBox(QStringLiteral("Stichtag:"), client);
    cboxStichtag_->setObjectName(QStringLiteral("cboxStichtag"));
    cboxStichtag_->setFont(DesignFont(20));
    cboxStichtag_->setChecked(true);
    MakeLabel(client, "Label1", QStringLiteral("24.05.2011"), DesignFont(20), Red);

    placement_ = new Placement(client, ClientWidth, ClientHeight - StatusBarHeight);
    placement_->apply(MainDesign, std::size(MainDesign));

    setTabOrder(PageControl1_->tabBar(), ListView1_);
    setTabOrder(ListView1_, bbtnExit_);
    setTabOrder(bbtnExit_, bbtnOpen_);
    setTabOrder(bbtnOpen_, bbtnCheckRLP_);
    setTabOrder(bbtnCheckRLP_, cboxStichtag_);

    ConnectGuarded(bbtnCheckRLP_, &QPushButton::clicked, this, &TfrmMain::bbtnCheckRLPClick);
    ConnectGuarded(SpeedButton1_, &QToolButton::clicked, this, &TfrmMain::SpeedButton1Click);
    ConnectGuarded(cboxStichtag_, &QCheckBox::clicked, this, &TfrmMain::cboxStichtagClick);
}

void TfrmMain::buildMenu()
{
    FileOpen1_ = new QAction(MenuPicture(PictureOpen), QStringLiteral("Ö&ffnen..."), this);
    FileOpen1_->setObjectName(QStringLiteral("FileOpen1"));
    FileOpen1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ConnectGuarded(FileOpen1_, &QAction::triggered, this, &TfrmMain::FileOpen1Execute);

    CheckAction_ = new QAction(MenuPicture(PictureCheck), QStringLiteral("Check RLP"), this);
    CheckAction_->setObjectName(QStringLiteral("CheckAction"));
    CheckAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    CheckAction_->setCheckable(true);  // flips at each run; shows as the entry's check mark
    ConnectGuarded(CheckAction_, &QAction::triggered, this, &TfrmMain::CheckActionExecute);

    FileExit1_ = new QAction(MenuPicture(PictureExit), QStringLiteral("&Beenden"), this);
    FileExit1_->setObjectName(QStringLiteral("FileExit1"));
    FileExit1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(FileExit1_, &QAction::triggered, this, &QWidget::close);

    mnuHilfe_ = new QAction(MenuPicture(PictureHelp), QStringLiteral("Hilfe"), this);
    mnuHilfe_->setObjectName(QStringLiteral("mnuHilfe"));
    mnuHilfe_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    ConnectGuarded(mnuHilfe_, &QAction::triggered, this, &TfrmMain::mnuHilfeClick);

    mnuInfo_ = new QAction(MenuPicture(PictureInfo), QStringLiteral("Info"), this);
    mnuInfo_->setObjectName(QStringLiteral("mnuInfo"));
    mnuInfo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ConnectGuarded(mnuInfo_, &QAction::triggered, this, &TfrmMain::mnuInfoClick);

    mnuUebersicht_ = new QAction(QStringLiteral("Kreisübersicht..."), this);
    mnuUebersicht_->setObjectName(QStringLiteral("mnuUebersicht"));
    mnuUebersicht_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(mnuUebersicht_, &QAction::triggered, this, [this] { Guarded(this, [&] { mnuUebersichtClick(); }); });
    mnuSuchliste_ = new QAction(QStringLiteral("Suchliste laden..."), this);
    mnuSuchliste_->setObjectName(QStringLiteral("mnuSuchliste"));
    connect(mnuSuchliste_, &QAction::triggered, this, [this] { Guarded(this, [&] { mnuSuchlisteClick(); }); });

    QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("mnuDatei"));
    datei->addAction(FileOpen1_);
    datei->addAction(CheckAction_);
    datei->addSeparator()->setObjectName(QStringLiteral("N1"));
    datei->addAction(FileExit1_);
    mnuKreisgrenzen_ = new QAction(QStringLiteral("Kreisgrenzen neu laden"), this);
    mnuKreisgrenzen_->setObjectName(QStringLiteral("mnuKreisgrenzen"));
    connect(mnuKreisgrenzen_, &QAction::triggered, this, [this] { Guarded(this, [&] { mnuKreisgrenzenClick(); }); });
    connect(this, &TfrmMain::scanFinished, this, &TfrmMain::showBoundaryState);

    QMenu* extras = menuBar()->addMenu(QStringLiteral("&Extras"));
    extras->setObjectName(QStringLiteral("Extras1"));
    extras->addAction(mnuHilfe_);
    extras->addAction(mnuUebersicht_);
    extras->addAction(mnuKreisgrenzen_);
    extras->addAction(mnuSuchliste_);
    extras->addSeparator()->setObjectName(QStringLiteral("N2"));
    extras->addAction(mnuInfo_);
    // F10 opens the first menu, as Alt+D and Alt+E open theirs.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this, datei] { menuBar()->setActiveAction(datei->menuAction()); });

    // The buttons run the actions they are bound to.
    connect(bbtnOpen_, &QPushButton::clicked, FileOpen1_, &QAction::trigger);
    connect(bbtnExit_, &QPushButton::clicked, FileExit1_, &QAction::trigger);
    bbtnOpen_->setIcon(MenuPicture(PictureOpen));
    bbtnExit_->setIcon(MenuPicture(PictureExit));
}

void TfrmMain::FormCreate()
{
    setWindowTitle(QStringLiteral("Quenlorn Polygonberechnung"));
    SetLabelText(lblDateiname_, {});
    SetLabelText(lblQueryDatum_, {});
    SetLabelText(lblAnzahlCache_, QStringLiteral("0"));
    SetLabelText(lblAnzahlNIP_, QStringLiteral("0"));
    for (int c = 0; c < CacheListModel::ColumnCount; ++c) ListView1_->setColumnWidth(c, ColumnWidths[c]);
    ListView1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1_->setShowGrid(true);

    const PolygonFolder polygons = ResolvePolygonDir(state_.ProgramDir, registry_);
    state_.PolygonDir = polygons.Dir;
    state_.GsakPolygonsFound = polygons.GsakFound;
    state_.DistrictTally.fill(0);
    state_.PlacemarkFiles.clear();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        CentreOnScreen(this);
        // Once the window shows, before a user can have chosen a query.
        QTimer::singleShot(0, this, [this] { WarmTextDrawing(*this, *ListView1_); });
    }
    QMainWindow::showEvent(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblWebNIP_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Guarded(this, [&] { lblWebNIPClick(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::SpeedButton1Click()
{
    platform::ShellOpen(std::string(ShortLinkBase) + std::string(ChallengeCacheCode));
}

void TfrmMain::lblWebNIPClick()
{
    if (state_.NotInPolygonCount <= 0) return;
    QWidget* web = windows_.frmWeb.get();
    web->show();
    web->raise();
    web->activateWindow();
}

void TfrmMain::bbtnCheckRLPClick()
{
    windows_.frmLK->exec();
}

void TfrmMain::CheckActionExecute()
{
    bbtnCheckRLP_->click();
}

void TfrmMain::mnuHilfeClick()
{
    platform::OpenHelp(state_.ProgramDir);
}

void TfrmMain::mnuInfoClick()
{
    windows_.frmInfo->exec();
}

void TfrmMain::showCounts(int rows)
{
    SetLabelText(lblAnzahlCache_, QString::number(rows));
    SetLabelText(lblAnzahlNIP_, QString::number(state_.NotInPolygonCount));
}

}  // namespace ql::ui
