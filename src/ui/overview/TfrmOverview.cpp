#include "ui/overview/TfrmOverview.h"

#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStyle>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "reports/web_hosts.h"
#include "platform/platform.h"
#include "ui/planner/CandidatePanel.h"
#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/common/ErrorBox.h"
#include "ui/overview/OverviewTableModel.h"
#include "ui/overview/MapLegend.h"
#include "ui/overview/OverviewPicture.h"
#include "ui/overview/ProgressChart.h"
#include "ui/overview/ProofListBar.h"
#include "ui/common/SaveFile.h"
#include "ui/common/StepBeside.h"
#include "ui/planner/CandidateMapLayer.h"
#include "planner/progress.h"

namespace ql::ui {

namespace {

const QString NoQueryText = QStringLiteral("Keine Query geladen: alle Kreise ohne Fund.");
// Without boundaries no find lies in a district: a list or picture would show "missing" districts as a result.
const std::string NoBoundariesProofList =
    "Kreisgrenzen nicht geladen: Ohne sie lässt sich keine Nachweisliste "
    "erstellen (Extras: \"Kreisgrenzen neu laden\").";
const std::string NoBoundariesPicture =
    "Kreisgrenzen nicht geladen: Ohne sie lässt sich kein Bild der Kreise "
    "speichern (Extras: \"Kreisgrenzen neu laden\").";
constexpr QSize PreferredSize(1440, 900);  // bounded by the screen
// Figures that take longer than this show their work, with its Cancel.
constexpr int ProgressAfterMs = 500;

// Holds the planner's panel in its scroll area. The panel's wrapped labels
// would have the area give it the height its layout prefers for the width,
// so the panel scrolled where its tables could shrink: here it gets the
// area's height, and scrolls only below its smallest layout.
class PlannerHolder : public QWidget {
public:
    using QWidget::QWidget;
    int heightForWidth(int) const override { return -1; }
};
// The side with the tabs never takes more of the width than this: with the
// band under it, the map keeps at least half the window.
constexpr double MaxSideShare = 0.40;
constexpr double MinMapShare = 0.52;  // of the window's area, with a little to spare

}  // namespace

TfrmOverview::TfrmOverview(AppState& state, QWidget* parent)
        : QWidget(parent, Qt::Window), state_(state), shown_(std::make_shared<const OverviewScan>())
{
    setObjectName(QStringLiteral("frmOverview"));
    setWindowTitle(QStringLiteral("Kreisübersicht"));
    buildControls();
    ScanFinished();
}

TfrmOverview::~TfrmOverview()
{
    step_->stop();  // before what its report would touch goes
}

void TfrmOverview::buildControls()
{
    step_ = new StepBeside(this);
    progressTimer_ = new QTimer(this);
    progressTimer_->setSingleShot(true);
    progressTimer_->setInterval(ProgressAfterMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { progressRow_->setVisible(step_->running()); });
    map_ = new DistrictMapView(this);
    planner_ = new CandidatePanel(state_, map_, this);
    band_ = new MapLegendBand(this);

    // The map and its band on the left, the side with the tabs on the right.
    auto* mapColumn = new QWidget(this);
    mapColumn->setObjectName(QStringLiteral("mapColumn"));
    auto* mapLayout = new QVBoxLayout(mapColumn);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapLayout->setSpacing(0);
    mapLayout->addWidget(map_, 1);
    mapLayout->addWidget(band_);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splitter"));
    splitter_->addWidget(mapColumn);
    splitter_->addWidget(buildSide());
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter_, 1);

    map_->setThreshold(threshold());
    connect(spinSchwelle_, &QSpinBox::valueChanged, this,
            [this](int v) { Guarded(this, [&] { thresholdChanged(v); }); });
    connect(btnEinpassen_, &QPushButton::clicked, this, [this] { map_->fitAll(); });
    connect(btnBild_, &QPushButton::clicked, this, [this] {
        Guarded(this, [&] {
            if (!shown_->boundariesLoaded) throw UserError(NoBoundariesPicture);  // before the dialog
            const QString suggested = FromUtf8(DatedFileName("Kreisuebersicht", queryDate(), ".png"));
            const QString path = SaveDialogPath(this, "SaveImageDialog", QStringLiteral("Bild speichern"),
                                                QStringLiteral("PNG-Bild (*.png)"), QStringLiteral("png"), suggested);
            if (!path.isEmpty()) SaveImage(path);
        });
    });
    connect(proofBar_, &ProofListBar::message, lblMeldung_, &QLabel::setText);
    connect(planner_, &CandidatePanel::message, lblMeldung_, &QLabel::setText);
    connect(proofBar_->formatBox(), &QComboBox::currentIndexChanged, this, [this] { showPreview(); });
    connect(btnSchliessen_, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    // Escape stops the figures being made; otherwise it closes the window.
    connect(escape, &QShortcut::activated, this, [this] {
        if (figuresRunning()) btnAbbrechenClick();
        else close();
    });
    connect(btnAbbrechen_, &QPushButton::clicked, this, [this] { btnAbbrechenClick(); });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                map_->setSelectedDistrict(current.isValid() ? proxy_->mapToSource(current).row() : -1);
                planner_->setDistrict(current.isValid() ? proxy_->mapToSource(current).row() : -1);
            });
    connect(planner_, &CandidatePanel::districtChosen, this, [this](int d) { selectDistrict(d); });
    // Loading a list, or the planner asked for, shows its tab.
    connect(planner_->toggleButton(), &QPushButton::toggled, this, [this](bool open) {
        if (open) showTab(PlanenTab);
    });
    connect(map_, &DistrictMapView::districtClicked, this, [this](int d) { selectDistrict(d); });
    connect(map_, &DistrictMapView::findActivated, this, [this](int row) { Guarded(this, [&] { openListing(row); }); });
    connect(map_, &DistrictMapView::viewChanged, this,
            [this] { band_->setScaleBar(ChooseScaleBar(map_->metresPerPixel(), 120.0)); });
    connect(planner_->mapLayer(), &CandidateMapLayer::candidatesChanged, this, [this] { showLegend(); });
    connect(cboxKandidaten_, &QCheckBox::toggled, planner_->mapLayer(), &QWidget::setVisible);
    connect(band_->foldButton(), &QToolButton::toggled, this, [this] { keepMapLeading(); });
}

QWidget* TfrmOverview::buildSide()
{
    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("side"));

    lblStatus_ = new QLabel(side);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setTextFormat(Qt::PlainText);
    lblStatus_->setWordWrap(true);
    lblStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // The figures being made, shown when they take long.
    progressRow_ = new QWidget(side);
    progressRow_->setObjectName(QStringLiteral("progressRow"));
    auto* lblRechnen = new QLabel(QStringLiteral("Kreisübersicht wird berechnet..."), progressRow_);
    lblRechnen->setObjectName(QStringLiteral("lblRechnen"));
    lblRechnen->setWordWrap(true);  // the side may be narrow
    pbRechnen_ = new QProgressBar(progressRow_);
    pbRechnen_->setObjectName(QStringLiteral("pbRechnen"));
    pbRechnen_->setRange(0, 0);  // busy
    pbRechnen_->setMaximumWidth(100);
    btnAbbrechen_ = new QPushButton(QStringLiteral("Abbrechen"), progressRow_);
    btnAbbrechen_->setObjectName(QStringLiteral("btnAbbrechen"));
    auto* progressLayout = new QHBoxLayout(progressRow_);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->addWidget(lblRechnen, 1);
    progressLayout->addWidget(pbRechnen_);
    progressLayout->addWidget(btnAbbrechen_);
    progressRow_->hide();

    auto* lblSchwelle = new QLabel(QStringLiteral("&Randnah unter (m):"), side);
    spinSchwelle_ = new QSpinBox(side);
    spinSchwelle_->setObjectName(QStringLiteral("spinSchwelle"));
    spinSchwelle_->setRange(0, static_cast<int>(MaxBorderThreshold));
    spinSchwelle_->setSingleStep(10);
    lblSchwelle->setBuddy(spinSchwelle_);
    auto* lblBereich = new QLabel(QStringLiteral("(0 bis %1 m)").arg(static_cast<int>(MaxBorderThreshold)), side);
    lblBereich->setObjectName(QStringLiteral("lblBereich"));
    const int remembered = QSettings().value(QString::fromLatin1(ThresholdSetting), DefaultBorderThreshold).toInt();
    spinSchwelle_->setValue(std::clamp(remembered, 0, static_cast<int>(MaxBorderThreshold)));

    auto button = [side](const char* name, const QString& text) {
        auto* b = new QPushButton(text, side);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    btnEinpassen_ = button("btnEinpassen", QStringLiteral("&Ganzes Land"));
    btnBild_ = button("btnBild", QStringLiteral("&Bild speichern..."));
    btnSchliessen_ = button("btnSchliessen", QStringLiteral("Schl&ießen"));
    // The candidates' symbols on the map, shown while lists are loaded, can be hidden.
    cboxKandidaten_ = new QCheckBox(QStringLiteral("Kandidaten &zeigen"), side);
    cboxKandidaten_->setObjectName(QStringLiteral("cboxKandidaten"));
    cboxKandidaten_->setChecked(true);
    cboxKandidaten_->hide();
    lblMeldung_ = new QLabel(side);
    lblMeldung_->setObjectName(QStringLiteral("lblMeldung"));
    lblMeldung_->setTextFormat(Qt::PlainText);
    lblMeldung_->setWordWrap(true);
    // A long message never widens the window beyond the screen.
    lblMeldung_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // The table of the districts.
    model_ = new OverviewTableModel(this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(OverviewTableModel::SortRole);
    table_ = new QTableView(side);
    table_->setObjectName(QStringLiteral("tblKreise"));
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(OverviewTableModel::NameColumn, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);  // Tab goes on to the next control
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);

    // The proof list: format, copy, save, and what will be copied.
    auto* proofPage = new QWidget(side);
    proofPage->setObjectName(QStringLiteral("proofPage"));
    proofBar_ = new ProofListBar([this](ProofFormat format) { return ProofListText(format); },
                                 [this] { return queryDate(); }, proofPage);
    preview_ = new QPlainTextEdit(proofPage);
    preview_->setObjectName(QStringLiteral("edtNachweis"));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setTabChangesFocus(true);
    auto* proofLayout = new QVBoxLayout(proofPage);
    proofLayout->setContentsMargins(4, 4, 4, 4);
    proofLayout->addWidget(proofBar_);
    proofLayout->addWidget(preview_, 1);

    // The planner's panel, stacked so it fits beside the map; where it
    // still does not, it scrolls. Its chart has a tab of its own.
    if (auto* panelLayout = qobject_cast<QBoxLayout*>(planner_->layout()))
        panelLayout->setDirection(QBoxLayout::TopToBottom);
    planner_->chart()->hide();
    auto* planScroll = new QScrollArea(side);
    planScroll->setObjectName(QStringLiteral("planScroll"));
    planScroll->setWidgetResizable(true);
    planScroll->setFrameShape(QFrame::NoFrame);
    auto* holder = new PlannerHolder;
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    holderLayout->addWidget(planner_);
    planScroll->setWidget(holder);

    chart_ = new ProgressChart(side);

    tabs_ = new QTabWidget(side);
    tabs_->setObjectName(QStringLiteral("tabsUebersicht"));
    tabs_->setDocumentMode(true);
    tabs_->addTab(table_, QStringLiteral("Kr&eise"));
    tabs_->addTab(proofPage, QStringLiteral("&Nachweis"));
    tabs_->addTab(planScroll, QStringLiteral("&Planen"));
    tabs_->addTab(chart_, QStringLiteral("&Verlauf"));
    tabs_->tabBar()->setExpanding(false);
    tabs_->tabBar()->setUsesScrollButtons(true);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == NachweisTab) showPreview();
    });

    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(lblSchwelle);
    thresholdRow->addWidget(spinSchwelle_);
    thresholdRow->addWidget(lblBereich);
    thresholdRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(btnEinpassen_);
    buttonRow->addWidget(btnBild_);
    buttonRow->addWidget(cboxKandidaten_);
    buttonRow->addStretch(1);
    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(lblMeldung_, 1);
    closeRow->addWidget(btnSchliessen_, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->addWidget(lblStatus_);
    layout->addWidget(progressRow_);
    layout->addLayout(thresholdRow);
    layout->addLayout(buttonRow);
    layout->addWidget(tabs_, 1);
    layout->addLayout(closeRow);
    return side;
}

void TfrmOverview::showTab(Tab tab)
{
    tabs_->setCurrentIndex(tab);
}

void TfrmOverview::placeOnScreen()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), PreferredSize);
    // Room for the frame the window system draws around the client area.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize margin = frame.isValid() && !frame.isEmpty() ? frame : QSize(16, 40);
    const QSize room = available.size() - margin;
    const QByteArray saved = QSettings().value(QString::fromLatin1(GeometrySetting)).toByteArray();
    if (saved.isEmpty() || !restoreGeometry(saved)) {
        resize(PreferredSize.boundedTo(room));
        move(available.topLeft() + QPoint((room.width() - width()) / 2, (room.height() - height()) / 2));
    }
    // A size remembered on a larger screen shrinks to this one.
    if (width() > room.width() || height() > room.height()) resize(size().boundedTo(room));
    if (!available.contains(frameGeometry())) {
        const int nx =
            std::clamp(x(), available.left(), std::max(available.left(), available.right() - frameGeometry().width()));
        const int ny =
            std::clamp(y(), available.top(), std::max(available.top(), available.bottom() - frameGeometry().height()));
        move(nx, ny);
    }
}

void TfrmOverview::fitTable()
{
    table_->resizeColumnsToContents();
    keepMapLeading();
    // The side as wide as its share allows: the tables see most of their columns.
    const int total = splitter_->width() - splitter_->handleWidth();
    const int side = splitter_->widget(1)->maximumWidth();
    if (total > side) splitter_->setSizes({total - side, side});
}

void TfrmOverview::keepMapLeading()
{
    // The side never takes more than its share: the map keeps at least half
    // the window at every size.
    const int total = splitter_->width() - splitter_->handleWidth();
    if (total <= 0) return;
    // The map's height is what the legend band leaves of the column; the
    // map's width follows from the area it must keep.
    const int mapHeight = std::max(1, splitter_->height() - band_->sizeHint().height());
    const double area = MinMapShare * width() * height();
    const int mapWidth = static_cast<int>(std::ceil(area / mapHeight));
    const int most = std::min(static_cast<int>(total * MaxSideShare), total - mapWidth);
    QWidget* side = splitter_->widget(1);
    side->setMaximumWidth(std::max(side->minimumSizeHint().width(), most));
}

double TfrmOverview::threshold() const
{
    return spinSchwelle_->value();
}

void TfrmOverview::setThreshold(int metres)
{
    spinSchwelle_->setValue(metres);
}

void TfrmOverview::thresholdChanged(int metres)
{
    QSettings().setValue(QString::fromLatin1(ThresholdSetting), metres);
    map_->setThreshold(metres);
    model_->setThreshold(metres);
    planner_->setThreshold(metres);
    showStatus();
    showLegend();
    showPreview();
}

void TfrmOverview::ScanFinished()
{
    pending_ = false;
    if (!FiguresTakeLong(state_)) {
        stopFigures();
        auto scan = std::make_shared<OverviewScan>(CopyScan(state_));
        OverviewFigures figures = MakeFigures(*scan, state_, nullptr);
        showFigures(std::move(scan), std::move(figures));
        return;
    }
    if (held_) {
        stopFigures();
        pending_ = true;
        return;
    }
    auto scan = std::make_shared<OverviewScan>(CopyScan(state_));
    auto figures = std::make_shared<OverviewFigures>();
    // The rows and the query's lines are read beside the window: only a step
    // of the main window replaces them, and that holds the figures first.
    const AppState* state = &state_;
    step_->start([scan, figures, state](const CancelToken& stop) { *figures = MakeFigures(*scan, *state, &stop); },
                 [this, scan, figures](std::exception_ptr failure) {
                     progressTimer_->stop();
                     progressRow_->hide();
                     Guarded(this, [&] {
                         if (failure) std::rethrow_exception(failure);
                         showFigures(scan, std::move(*figures));
                     });
                 });
    progressTimer_->start();
}

bool TfrmOverview::figuresRunning() const
{
    return step_->running();
}

void TfrmOverview::stopFigures()
{
    step_->stop();
    progressTimer_->stop();
    progressRow_->hide();
}

void TfrmOverview::releaseBeside(std::shared_ptr<const OverviewScan> scan)
{
    // Where another holder is left (a figures step), the last one frees it.
    if (!scan || scan.use_count() > 1) return;
    release_.reset();  // the one before has long ended
    release_ = std::make_unique<TaskBeside>([held = std::move(scan)]() mutable { held.reset(); });
}

void TfrmOverview::btnAbbrechenClick()
{
    if (!figuresRunning()) return;
    stopFigures();
    lblMeldung_->setText(QStringLiteral("Berechnung der Übersicht abgebrochen; sie zeigt den vorigen Stand."));
}

void TfrmOverview::holdFigures(bool hold)
{
    held_ = hold;
    if (hold && figuresRunning()) {
        stopFigures();
        pending_ = true;
    }
    // Made once the main window's step has ended and told its scan.
    if (!hold && pending_)
        QTimer::singleShot(0, this, [this] {
            if (pending_ && !held_ && isVisible()) Guarded(this, [&] { ScanFinished(); });
        });
}

void TfrmOverview::showFigures(std::shared_ptr<const OverviewScan> scan, OverviewFigures figures)
{
    // The scan shown before stays until nothing points into it any more.
    std::shared_ptr<const OverviewScan> before = std::exchange(shown_, std::move(scan));
    overview_ = std::move(figures.overview);
    timeline_ = std::move(figures.timeline);
    map_->setDistricts(shown_->districts);
    map_->setScan(shown_->rows.get(), &overview_);
    model_->setScan(shown_->rows.get(), &overview_, threshold());
    planner_->ScanFinished(overview_, std::move(figures.found), timeline_, threshold());
    chart_->setSteps(timeline_);
    table_->resizeColumnsToContents();
    lblMeldung_->clear();
    showStatus();
    showLegend();
    showPreview();
    releaseBeside(std::move(before));
    emit figuresShown();
}

void TfrmOverview::showLegend()
{
    std::size_t outside = 0;
    for (const FindPlace& place : overview_.finds) outside += place.district < 0;
    const std::size_t candidates = planner_->mapLayer()->count();
    band_->setEntries(MapLegendEntries(threshold(), overview_.finds.size(), outside, candidates));
    cboxKandidaten_->setVisible(candidates > 0);
    keepMapLeading();  // the band may have grown by a row
}

void TfrmOverview::showPreview()
{
    // Built only while its tab shows: a long list costs a moment.
    if (!preview_ || tabs_->currentIndex() != NachweisTab) return;
    const int top = preview_->verticalScrollBar()->value();
    try {
        preview_->setPlainText(FromUtf8(ProofListText(proofBar_->format())));
    } catch (const UserError& e) {
        preview_->setPlainText(FromUtf8(e.what()));  // no list: the preview says why
    }
    preview_->verticalScrollBar()->setValue(top);
}

void TfrmOverview::showStatus()
{
    QString text;
    if (!shown_->polygonLoadFailure.empty())
        text = QStringLiteral("Kreisgrenzen nicht geladen: ") + FromUtf8(shown_->polygonLoadFailure) +
               QStringLiteral(" Ohne sie liegt kein Fund in einem Kreis (Extras: \"Kreisgrenzen neu laden\").\n");
    if (!shown_->queryLoaded) {
        lblStatus_->setText(text + NoQueryText);
        return;
    }
    int nearBorder = 0, outside = 0;
    for (int d = 0; d < DistrictCount; ++d) nearBorder += overview_.CoverageOf(d, threshold()) == Coverage::NearBorder;
    for (const FindPlace& place : overview_.finds) outside += place.district < 0;
    text += QString::number(overview_.CoveredCount()) + QStringLiteral(" von 36 Kreisen belegt, davon ") +
            QString::number(nearBorder) + QStringLiteral(" nur randnah. ") + QString::number(overview_.finds.size()) +
            QStringLiteral(" Funde, ") +
            // Without boundaries a find in no district is not known to lie outside.
            (shown_->boundariesLoaded ? QString::number(outside) + QStringLiteral(" nicht im Polygon.")
                                      : QString::number(outside) + QStringLiteral(" keinem Kreis zugeordnet."));
    if (shown_->cutoffEnabled) text += QStringLiteral(" Funde ab ") + FromUtf8(CutoffDate) + QLatin1Char('.');
    else
        text += QStringLiteral(" Auch Funde vor dem ") + FromUtf8(CutoffDate) +
                QStringLiteral(" sind gezählt; die Nachweisliste nennt nur Funde ab diesem Tag.");
    lblStatus_->setText(text);
}

std::string TfrmOverview::queryDate() const
{
    return shown_->queryDate;
}

std::string TfrmOverview::ProofListText(ProofFormat format) const
{
    if (!shown_->boundariesLoaded) throw UserError(NoBoundariesProofList);
    return BuildProofList(overview_, *shown_->rows, threshold(), format, shown_->cutOffTally);
}

void TfrmOverview::btnKopierenClick()
{
    proofBar_->copy();
}

void TfrmOverview::SaveProofList(const QString& path) const
{
    proofBar_->save(path);
}

QStringList TfrmOverview::exportCaption() const
{
    return OverviewCaption(overview_.CoveredCount(), queryDate(), shown_->cutoffEnabled);
}

QImage TfrmOverview::ExportImage() const
{
    return DrawOverviewPicture(*map_, pictureContent());
}

QByteArray TfrmOverview::ExportPng() const
{
    return OverviewPicturePng(*map_, pictureContent());
}

OverviewPictureContent TfrmOverview::pictureContent() const
{
    const CandidateMapLayer* layer = planner_->mapLayer();
    return PictureContentOf(overview_, threshold(),
                            cboxKandidaten_->isChecked() ? layer->points() : std::vector<TFPoint>(), queryDate(),
                            shown_->cutoffEnabled, timeline_);
}

void TfrmOverview::SaveImage(const QString& path) const
{
    if (!shown_->boundariesLoaded) throw UserError(NoBoundariesPicture);
    WriteBytes(path, ExportPng());
}

void TfrmOverview::selectDistrict(int district)
{
    const QModelIndex at = proxy_->mapFromSource(model_->index(district, 0));
    table_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(at);
}

void TfrmOverview::openListing(int row)
{
    const std::vector<CacheRow>& rows = *shown_->rows;
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return;
    platform::ShellOpen(std::string(ShortLinkBase) + rows[static_cast<std::size_t>(row)].GCCode);
}

void TfrmOverview::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        placeOnScreen();
    }
    QWidget::showEvent(event);
    layout()->activate();  // the splitter at the window's new size
    fitTable();
    // Once more when the shown window's style and header are settled.
    QTimer::singleShot(0, this, [this] { fitTable(); });
    map_->fitAll();
}

void TfrmOverview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    keepMapLeading();
}

void TfrmOverview::closeEvent(QCloseEvent* event)
{
    // A closed window follows no scan: its figures are made when it opens again.
    stopFigures();
    pending_ = false;
    QSettings().setValue(QString::fromLatin1(GeometrySetting), saveGeometry());
    QWidget::closeEvent(event);
}

}  // namespace ql::ui
