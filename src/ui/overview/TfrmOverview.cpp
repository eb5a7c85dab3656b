#include "ui/overview/TfrmOverview.h"

#include <QCloseEvent>
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

#include "state/app_state.h"
#include "query/query_pipeline.h"
#include "reports/web_hosts.h"
#include "platform/platform.h"
#include "ui/planner/CandidatePanel.h"
#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/common/ErrorBox.h"
#include "ui/overview/OverviewTableModel.h"
#include "ui/overview/ProofListBar.h"
#include "ui/common/SaveFile.h"

namespace ql::ui {

namespace {

const QString NoQueryText = QStringLiteral("Keine Query geladen: alle Kreise ohne Fund.");
constexpr QSize PreferredSize(1440, 900);  // bounded by the screen

}  // namespace

TfrmOverview::TfrmOverview(AppState& state, QWidget* parent) : QWidget(parent, Qt::Window), state_(state)
{
    setObjectName(QStringLiteral("frmOverview"));
    setWindowTitle(QStringLiteral("Kreisübersicht"));
    buildControls();
    ScanFinished();
}

TfrmOverview::~TfrmOverview() = default;

void TfrmOverview::buildControls()
{
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setTextFormat(Qt::PlainText);
    lblStatus_->setWordWrap(true);

    map_ = new DistrictMapView(this);
    planner_ = new CandidatePanel(state_, map_, this);

    model_ = new OverviewTableModel(this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(OverviewTableModel::SortRole);
    table_ = new QTableView(this);
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

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(map_);
    splitter_->addWidget(table_);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 2);
    splitter_->setChildrenCollapsible(false);

    auto* lblSchwelle = new QLabel(QStringLiteral("&Randnah unter (m):"), this);
    spinSchwelle_ = new QSpinBox(this);
    spinSchwelle_->setObjectName(QStringLiteral("spinSchwelle"));
    spinSchwelle_->setRange(0, static_cast<int>(MaxBorderThreshold));
    spinSchwelle_->setSingleStep(10);
    lblSchwelle->setBuddy(spinSchwelle_);
    auto* lblBereich = new QLabel(QStringLiteral("(0 bis %1 m)").arg(static_cast<int>(MaxBorderThreshold)), this);
    lblBereich->setObjectName(QStringLiteral("lblBereich"));
    const int remembered = QSettings().value(QString::fromLatin1(ThresholdSetting), DefaultBorderThreshold).toInt();
    spinSchwelle_->setValue(std::clamp(remembered, 0, static_cast<int>(MaxBorderThreshold)));

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    btnEinpassen_ = button("btnEinpassen", QStringLiteral("&Ganzes Land"));
    btnBild_ = button("btnBild", QStringLiteral("&Bild speichern..."));
    btnSchliessen_ = button("btnSchliessen", QStringLiteral("Schl&ießen"));
    proofBar_ = new ProofListBar([this](ProofFormat format) { return ProofListText(format); },
                                 [this] { return queryDate(); }, this);
    lblMeldung_ = new QLabel(this);
    lblMeldung_->setObjectName(QStringLiteral("lblMeldung"));
    lblMeldung_->setTextFormat(Qt::PlainText);
    // A long message never widens the window beyond the screen.
    lblMeldung_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // Two rows, so the window stays narrow enough for small and scaled screens.
    auto* mapBar = new QHBoxLayout;
    mapBar->addWidget(lblSchwelle);
    mapBar->addWidget(spinSchwelle_);
    mapBar->addWidget(lblBereich);
    mapBar->addSpacing(12);
    mapBar->addWidget(btnEinpassen_);
    mapBar->addWidget(btnBild_);
    mapBar->addWidget(planner_->toggleButton());
    mapBar->addStretch(1);
    auto* proofRow = new QHBoxLayout;
    proofRow->addWidget(proofBar_);
    proofRow->addSpacing(12);
    proofRow->addWidget(lblMeldung_, 1);
    proofRow->addWidget(btnSchliessen_);

    // The planner under the map and the table.
    auto* planSplitter = new QSplitter(Qt::Vertical, this);
    planSplitter->addWidget(splitter_);
    planSplitter->addWidget(planner_);
    planner_->attachTo(planSplitter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus_);
    layout->addWidget(planSplitter, 1);
    layout->addLayout(mapBar);
    layout->addLayout(proofRow);

    map_->setThreshold(threshold());
    connect(spinSchwelle_, &QSpinBox::valueChanged, this, [this](int v) { Guarded(this, [&] { thresholdChanged(v); }); });
    connect(btnEinpassen_, &QPushButton::clicked, this, [this] { map_->fitAll(); });
    connect(btnBild_, &QPushButton::clicked, this, [this] {
        Guarded(this, [&] {
            const QString suggested = FromUtf8(DatedFileName("Kreisuebersicht", queryDate(), ".png"));
            const QString path = SaveDialogPath(this, "SaveImageDialog", QStringLiteral("Bild speichern"),
                                                QStringLiteral("PNG-Bild (*.png)"), QStringLiteral("png"), suggested);
            if (!path.isEmpty()) SaveImage(path);
        });
    });
    connect(proofBar_, &ProofListBar::message, lblMeldung_, &QLabel::setText);
    connect(btnSchliessen_, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                map_->setSelectedDistrict(current.isValid() ? proxy_->mapToSource(current).row() : -1);
                planner_->setDistrict(current.isValid() ? proxy_->mapToSource(current).row() : -1);
            });
    connect(planner_, &CandidatePanel::districtChosen, this, [this](int d) { selectDistrict(d); });
    connect(map_, &DistrictMapView::districtClicked, this, [this](int d) { selectDistrict(d); });
    connect(map_, &DistrictMapView::findActivated, this, [this](int row) { Guarded(this, [&] { openListing(row); }); });
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
    if (!splitter_) return;
    // The table as wide as its columns, when the map keeps its share.
    int wanted = 2 * table_->frameWidth() + 8 +
                 std::max(table_->verticalScrollBar()->sizeHint().width(),
                          table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_));
    for (int c = 0; c < OverviewTableModel::ColumnCount; ++c) wanted += table_->columnWidth(c);
    const int total = splitter_->width() - splitter_->handleWidth();
    if (total <= 0) return;
    const int tableWidth = std::min(wanted, std::min(total * 3 / 5, total - map_->minimumWidth()));
    splitter_->setSizes({total - tableWidth, tableWidth});
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
}

void TfrmOverview::ScanFinished()
{
    queryLoaded_ = !state_.QueryLines.Empty();
    overview_ = queryLoaded_ ? BuildDistrictOverview(state_.PolyTable, state_.Rows) : DistrictOverview{};
    map_->setDistricts(state_.PolyTable);
    map_->setScan(&state_.Rows, &overview_);
    model_->setScan(&state_.Rows, &overview_, threshold());
    planner_->ScanFinished(overview_, threshold());
    table_->resizeColumnsToContents();
    lblMeldung_->clear();
    showStatus();
}

void TfrmOverview::showStatus()
{
    QString text;
    if (!state_.PolygonLoadFailure.empty())
        text = QStringLiteral("Kreisgrenzen nicht geladen: ") + FromUtf8(state_.PolygonLoadFailure) +
               QStringLiteral(" Ohne sie liegt kein Fund in einem Kreis (Extras: \"Kreisgrenzen neu laden\").\n");
    if (!queryLoaded_) {
        lblStatus_->setText(text + NoQueryText);
        return;
    }
    int nearBorder = 0, outside = 0;
    for (int d = 0; d < DistrictCount; ++d) nearBorder += overview_.CoverageOf(d, threshold()) == Coverage::NearBorder;
    for (const FindPlace& place : overview_.finds) outside += place.district < 0;
    text += QString::number(overview_.CoveredCount()) + QStringLiteral(" von 36 Kreisen belegt, davon ") +
            QString::number(nearBorder) + QStringLiteral(" nur randnah. ") + QString::number(overview_.finds.size()) +
            QStringLiteral(" Funde, ") + QString::number(outside) + QStringLiteral(" nicht im Polygon.");
    if (state_.CutoffEnabled) text += QStringLiteral(" Funde ab ") + FromUtf8(CutoffDate) + QLatin1Char('.');
    else
        text += QStringLiteral(" Auch Funde vor dem ") + FromUtf8(CutoffDate) +
                QStringLiteral(" sind gezählt; die Nachweisliste nennt nur Funde ab diesem Tag.");
    lblStatus_->setText(text);
}

std::string TfrmOverview::queryDate() const
{
    if (state_.QueryLines.Empty()) return {};
    return IsMyFindsQuery(state_.QueryLines).value_or(std::string());
}

std::string TfrmOverview::ProofListText(ProofFormat format) const
{
    return BuildProofList(overview_, state_.Rows, threshold(), format);
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
    const std::string date = queryDate();
    QStringList caption;
    caption << QStringLiteral("Quenlorn: ") + QString::number(overview_.CoveredCount()) +
                   QStringLiteral(" von 36 Kreisen belegt");
    caption << (date.empty() ? QStringLiteral("Keine Query geladen")
                             : QStringLiteral("Query vom ") + FromUtf8(date).trimmed());
    caption << (state_.CutoffEnabled ? QStringLiteral("Funde ab ") + FromUtf8(CutoffDate)
                                     : QStringLiteral("Stichtag aus: auch Funde vor dem ") + FromUtf8(CutoffDate) +
                                           QStringLiteral(" gezählt"));
    return caption;
}

QImage TfrmOverview::ExportImage() const
{
    DistrictMapView::Extras extras;
    extras.selection = false;
    // The candidates and the progress chart go on the map itself, the caption above it.
    return map_->withCaption(planner_->WithPlan(map_->renderImage(map_->size(), extras)), exportCaption());
}

void TfrmOverview::SaveImage(const QString& path) const
{
    WritePng(path, ExportImage());
}

void TfrmOverview::selectDistrict(int district)
{
    const QModelIndex at = proxy_->mapFromSource(model_->index(district, 0));
    table_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(at);
}

void TfrmOverview::openListing(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= state_.Rows.size()) return;
    platform::ShellOpen(std::string(ShortLinkBase) + state_.Rows[static_cast<std::size_t>(row)].GCCode);
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

void TfrmOverview::closeEvent(QCloseEvent* event)
{
    QSettings().setValue(QString::fromLatin1(GeometrySetting), saveGeometry());
    QWidget::closeEvent(event);
}

}  // namespace ql::ui
