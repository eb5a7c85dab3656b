#include "ui/planner/TripWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#ifdef QL_PRINT
#include <QPrintPreviewDialog>
#include <QPrinter>
#endif

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "base/user_error.h"
#include "core/tables.h"
#include "planner/gpx_export.h"
#include "planner/home_point.h"
#include "planner/trip_list.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/SaveFile.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/planner/CandidateTableModel.h"
#include "ui/planner/TripMapLayer.h"

namespace ql::ui {

namespace {

// What the map shows: the finds where they lie and are counted, the districts
// coloured by the coverage the planner measured (no border is measured again).
DistrictOverview MapOverview(const std::vector<CacheRow>& rows, const CandidatePlan& plan)
{
    DistrictOverview overview;
    overview.finds.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CacheRow& row = rows[i];
        FindPlace& place = overview.finds[i];
        place.located = std::isfinite(row.Point.X) && std::isfinite(row.Point.Y);
        place.point = row.Point;
        if (row.DistrictIndex >= 0 && row.DistrictIndex < DistrictCount) {
            place.district = place.measured = row.DistrictIndex;
            ++overview.districts[static_cast<std::size_t>(row.DistrictIndex)].finds;
        }
    }
    for (std::size_t d = 0; d < plan.size(); ++d) {
        DistrictSummary& s = overview.districts[d];
        if (plan[d].coverage == Coverage::Uncovered) s.finds = 0;
        else s.finds = std::max(s.finds, 1);
        s.bestMetres = plan[d].coverage == Coverage::NearBorder ? -1.0 : NoDistance;
    }
    return overview;
}

QString KmText(double metres)
{
    return FromUtf8(KilometresText(metres));
}

}  // namespace

TripWindow::TripWindow(const DistrictMap& districts, const std::vector<CacheRow>& rows,
                       const std::vector<Candidate>& caches, const CandidatePlan& plan, const PlanFilter& filter,
                       QWidget* parent)
        : QWidget(parent, Qt::Window), home_(filter.home)
{
    setObjectName(QStringLiteral("TripWindow"));
    setWindowTitle(QStringLiteral("Tour planen"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Only the candidates of the wanted districts, renumbered.
    std::unordered_map<std::size_t, std::size_t> copied;
    plan_ = plan;
    for (DistrictCandidates& dc : plan_) {
        if (!dc.wanted) {
            dc.ranked.clear();
            continue;
        }
        for (RankedCandidate& r : dc.ranked) {
            const auto [at, added] = copied.emplace(r.cache, caches_.size());
            if (added) caches_.push_back(caches[r.cache]);
            r.cache = at->second;
        }
    }
    overview_ = MapOverview(rows, plan_);
    buildControls();
    map_->setDistricts(districts);
    map_->setThreshold(filter.thresholdMetres);
    map_->setScan(nullptr, &overview_);
    resize(1100, 700);
    solve();
}

TripWindow::~TripWindow()
{
    stopSolving();
}

void TripWindow::buildControls()
{
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cboxZurueck_ = new QCheckBox(QStringLiteral("Zurück zum Heimatpunkt"), this);
    cboxZurueck_->setObjectName(QStringLiteral("cboxZurueck"));
    cboxZurueck_->setChecked(true);
    cboxRandnah_ = new QCheckBox(QStringLiteral("Randnahe Caches meiden"), this);
    cboxRandnah_->setObjectName(QStringLiteral("cboxRandnahMeiden"));
    lblStart_ = new QLabel(this);
    lblStart_->setObjectName(QStringLiteral("lblStart"));
    lblGesamt_ = new QLabel(this);
    lblGesamt_->setObjectName(QStringLiteral("lblGesamt"));
    QFont bold = lblGesamt_->font();
    bold.setBold(true);
    lblGesamt_->setFont(bold);
    lblHinweis_ = new QLabel(this);
    lblHinweis_->setObjectName(QStringLiteral("lblHinweis"));
    lblHinweis_->setWordWrap(true);

    map_ = new DistrictMapView(this);
    map_->setObjectName(QStringLiteral("TripMap"));
    map_->setMinimumSize(300, 300);
    layer_ = new TripMapLayer(map_);

    tblTour_ = new QTableWidget(0, 7, this);
    tblTour_->setObjectName(QStringLiteral("tblTour"));
    tblTour_->setHorizontalHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Kreis"), QStringLiteral("Code"),
                                         QStringLiteral("Name"), QStringLiteral("D/T"), QStringLiteral("Etappe"),
                                         QStringLiteral("Gesamt")});
    tblTour_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblTour_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblTour_->verticalHeader()->hide();
    tblTour_->verticalHeader()->setDefaultSectionSize(tblTour_->fontMetrics().height() + 6);
    tblTour_->setWordWrap(false);

    btnGpx_ = button("btnTourGpx", QStringLiteral("Als GPX exportieren..."));
    btnListe_ = button("btnTourListe", QStringLiteral("Als Liste kopieren"));
    btnDrucken_ = button("btnTourDrucken", QStringLiteral("Drucken..."));
#ifndef QL_PRINT
    btnDrucken_->hide();  // built without Qt's print support
#endif
    btnSchliessen_ = button("btnTourSchliessen", QStringLiteral("Schließen"));
    btnAbbrechen_ = button("btnTourAbbrechen", QStringLiteral("Abbrechen"));
    btnAbbrechen_->hide();

    auto* options = new QHBoxLayout;
    options->addWidget(cboxZurueck_);
    options->addWidget(cboxRandnah_);
    options->addStretch(1);
    options->addWidget(lblStart_);

    auto* right = new QWidget(this);
    auto* list = new QVBoxLayout(right);
    list->setContentsMargins(0, 0, 0, 0);
    list->addWidget(tblTour_, 1);
    list->addWidget(lblGesamt_);
    auto* note = new QHBoxLayout;
    note->addWidget(lblHinweis_, 1);
    note->addWidget(btnAbbrechen_);
    list->addLayout(note);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(map_);
    split->addWidget(right);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({520, 580});

    auto* actions = new QHBoxLayout;
    actions->addWidget(btnGpx_);
    actions->addWidget(btnListe_);
    actions->addWidget(btnDrucken_);
    actions->addStretch(1);
    actions->addWidget(btnSchliessen_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(split, 1);
    layout->addLayout(actions);

    auto action = [this](const char* name, const QString& text) {
        auto* a = new QAction(text, tblTour_);
        a->setObjectName(QString::fromLatin1(name));
        tblTour_->addAction(a);
        return a;
    };
    tblTour_->setContextMenuPolicy(Qt::ActionsContextMenu);
    actFesthalten_ = action("actCacheFesthalten", QStringLiteral("Diesen Cache festhalten"));
    actAuslassen_ = action("actKreisAuslassen", QStringLiteral("Diesen Kreis auslassen"));
    actAlleAufnehmen_ = action("actAlleAufnehmen", QStringLiteral("Alle Kreise wieder aufnehmen"));
    ConnectGuarded(actFesthalten_, &QAction::triggered, this, &TripWindow::actFesthaltenClick);
    ConnectGuarded(actAuslassen_, &QAction::triggered, this, &TripWindow::actAuslassenClick);
    ConnectGuarded(actAlleAufnehmen_, &QAction::triggered, this, &TripWindow::actAlleAufnehmenClick);
    ConnectGuarded(btnGpx_, &QPushButton::clicked, this, &TripWindow::btnGpxClick);
    ConnectGuarded(btnListe_, &QPushButton::clicked, this, &TripWindow::btnListeClick);
    ConnectGuarded(btnDrucken_, &QPushButton::clicked, this, &TripWindow::btnDruckenClick);
    connect(btnSchliessen_, &QPushButton::clicked, this, &QWidget::close);
    connect(btnAbbrechen_, &QPushButton::clicked, this, &TripWindow::btnAbbrechenClick);
    connect(cboxZurueck_, &QCheckBox::toggled, this, [this] { solve(); });
    connect(cboxRandnah_, &QCheckBox::toggled, this, [this] { solve(); });
}

void TripWindow::stopSolving()
{
    if (cancel_) cancel_->Cancel();
    if (worker_.joinable()) worker_.join();
    cancel_.reset();
    solving_ = false;
    btnAbbrechen_->hide();
}

void TripWindow::btnAbbrechenClick()
{
    if (!solving_) return;
    stopSolving();
    ++generation_;  // a result already on its way is not shown
    lblHinweis_->setText(QStringLiteral("Die Berechnung wurde abgebrochen."));
    emit tripShown();
}

void TripWindow::solve()
{
    stopSolving();
    ++generation_;
    trip_.reset();
    if (!home_) {
        lblStart_->clear();
        showTrip();
        lblHinweis_->setText(QString::fromUtf8(NoHomeText));
        emit tripShown();
        return;
    }
    lblStart_->setText(QStringLiteral("Start: ") + FromUtf8(HomePointText(*home_)));
    TripRequest request;
    request.Home = *home_;
    request.Return = cboxZurueck_->isChecked();
    request.ClearOfBorder = cboxRandnah_->isChecked();
    request.Pins = pins_;
    request.Excluded = excluded_;
    shownRequest_ = request;
    showTrip();
    lblHinweis_->setText(QStringLiteral("Die Tour wird berechnet..."));
    cancel_ = std::make_shared<CancelToken>();
    solving_ = true;
    btnAbbrechen_->show();
    // The copies stay as they are while the window lives; the thread ends
    // before it does.
    worker_ = std::thread([this, request, token = cancel_, generation = generation_] {
        std::optional<TripPlan> trip;
        std::string error;
        try {
            trip = PlanTrip(caches_, plan_, request, token.get());
        } catch (const Cancelled&) {
            return;
        } catch (const std::exception& e) {
            error = e.what();
        }
        QMetaObject::invokeMethod(
            this, [this, generation, trip, error] { finished(generation, trip, error); }, Qt::QueuedConnection);
    });
}

void TripWindow::finished(unsigned generation, std::optional<TripPlan> trip, const std::string& error)
{
    if (generation != generation_) return;  // an older computation's result
    if (worker_.joinable()) worker_.join();
    solving_ = false;
    btnAbbrechen_->hide();
    trip_ = std::move(trip);
    showTrip();
    if (!error.empty()) lblHinweis_->setText(FromUtf8(error));
    emit tripShown();
}

QStringList TripWindow::rowTexts(std::size_t stop) const
{
    const TripStop& s = trip_->Stops[stop];
    const Candidate& c = caches_[s.Cache];
    return {QString::number(stop + 1),
            FromUtf8(DistrictNames[static_cast<std::size_t>(s.District)]),
            FromUtf8(c.Code) + (s.Pinned ? QStringLiteral(" (fest)") : QString()),
            FromUtf8(c.Name),
            RatingPair(c),
            KmText(s.LegMetres),
            KmText(s.TotalMetres)};
}

void TripWindow::showTrip()
{
    tblTour_->setRowCount(0);
    const bool shown = trip_.has_value();
    btnGpx_->setEnabled(shown && !trip_->Stops.empty());
    btnListe_->setEnabled(shown);
    btnDrucken_->setEnabled(shown);
    if (!shown) {
        lblGesamt_->clear();
        layer_->setTour(home_, {}, false);
        return;
    }
    std::vector<TFPoint> points;
    for (std::size_t i = 0; i < trip_->Stops.size(); ++i) {
        tblTour_->insertRow(static_cast<int>(i));
        const QStringList texts = rowTexts(i);
        for (int col = 0; col < texts.size(); ++col) {
            auto* item = new QTableWidgetItem(texts[col]);
            if (col == OrderColumn || col >= LegColumn) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblTour_->setItem(static_cast<int>(i), col, item);
        }
        points.push_back(caches_[trip_->Stops[i].Cache].Point);
    }
    if (trip_->ReturnMetres > 0.0) {
        const int row = tblTour_->rowCount();
        tblTour_->insertRow(row);
        tblTour_->setItem(row, DistrictColumn, new QTableWidgetItem(QStringLiteral("zurück nach Hause")));
        for (int col : {LegColumn, TotalColumn}) {
            auto* item = new QTableWidgetItem(KmText(col == LegColumn ? trip_->ReturnMetres : trip_->LengthMetres));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblTour_->setItem(row, col, item);
        }
    }
    tblTour_->resizeColumnsToContents();
    // The name gives way where the list is narrow; the distances stay whole.
    QHeaderView* header = tblTour_->horizontalHeader();
    int others = 0;
    for (int col = 0; col < tblTour_->columnCount(); ++col)
        if (col != NameColumn) others += header->sectionSize(col);
    const int room = tblTour_->viewport()->width() - others;
    if (room > 40 && room < header->sectionSize(NameColumn)) header->resizeSection(NameColumn, room);
    lblGesamt_->setText(FromUtf8(TourTotalText(*trip_)));
    QStringList notes;
    QStringList without;
    for (int d : trip_->WithoutCandidate) without << FromUtf8(DistrictNames[static_cast<std::size_t>(d)]);
    if (!without.isEmpty())
        notes << QStringLiteral("Ohne Kandidat, nicht in der Tour: ") + without.join(QStringLiteral(", "));
    QStringList left;
    for (int d : trip_->Excluded) left << FromUtf8(DistrictNames[static_cast<std::size_t>(d)]);
    if (!left.isEmpty()) notes << QStringLiteral("Ausgelassen: ") + left.join(QStringLiteral(", "));
    if (trip_->Stops.empty() && without.isEmpty()) notes << QStringLiteral("Kein Kreis fehlt: keine Tour nötig.");
    lblHinweis_->setText(notes.join(QLatin1Char('\n')));
    layer_->setTour(home_, std::move(points), shownRequest_.Return);
}

void TripWindow::actFesthaltenClick()
{
    const int row = tblTour_->currentRow();
    if (!trip_ || row < 0 || static_cast<std::size_t>(row) >= trip_->Stops.size()) return;
    const TripStop& stop = trip_->Stops[static_cast<std::size_t>(row)];
    const std::string& code = caches_[stop.Cache].Code;
    // One kept cache per district: an earlier one there gives way.
    std::erase_if(pins_, [&](const std::string& pin) {
        for (const TripStop& s : trip_->Stops)
            if (caches_[s.Cache].Code == pin) return s.District == stop.District;
        return false;
    });
    pins_.push_back(code);
    solve();
}

void TripWindow::actAuslassenClick()
{
    const int row = tblTour_->currentRow();
    if (!trip_ || row < 0 || static_cast<std::size_t>(row) >= trip_->Stops.size()) return;
    excluded_.push_back(trip_->Stops[static_cast<std::size_t>(row)].District);
    solve();
}

void TripWindow::actAlleAufnehmenClick()
{
    excluded_.clear();
    solve();
}

void TripWindow::ExportGpx(const QString& path) const
{
    if (!trip_ || trip_->Stops.empty()) throw UserError("Es gibt keine Tour zum Exportieren.");
    std::vector<const Candidate*> stops;
    for (const TripStop& s : trip_->Stops) stops.push_back(&caches_[s.Cache]);
    WriteFileReplacing(QDir::toNativeSeparators(path).toStdString(),
                       TourGpxText(stops, *home_, shownRequest_.Return, GpxTimeNow()));
}

void TripWindow::btnGpxClick()
{
    const QString path =
        SaveDialogPath(this, "SaveTourDialog", QStringLiteral("Tour als GPX exportieren"),
                       QStringLiteral("GPX-Datei (*.gpx)"), QStringLiteral("gpx"), QStringLiteral("Tour.gpx"));
    if (!path.isEmpty()) ExportGpx(path);
}

std::string TripWindow::ListText() const
{
    if (!trip_) return {};
    std::string text = "Tour ab " + HomePointText(*home_) + "\n";
    return text + TourListText(caches_, *trip_);
}

void TripWindow::btnListeClick()
{
    QGuiApplication::clipboard()->setText(FromUtf8(ListText()));
}

QImage TripWindow::mapImage() const
{
    QImage image = map_->renderImage(map_->size());
    QPainter painter(&image);
    layer_->drawOn(painter);
    return image;
}

void TripWindow::paintPage(QPainter& painter, const QRect& page) const
{
    painter.save();
    const int unit = std::max(1, page.height() / 90);  // about a line of 10 pt on A4
    QFont font = painter.font();
    font.setPixelSize(unit * 2);
    font.setBold(true);
    painter.setFont(font);
    int y = page.top();
    painter.drawText(QRect(page.left(), y, page.width(), unit * 3), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Tour durch die fehlenden Kreise"));
    y += unit * 3;
    font.setPixelSize(unit);
    font.setBold(false);
    painter.setFont(font);
    QStringList head;
    if (home_) head << QStringLiteral("Start: ") + FromUtf8(HomePointText(*home_));
    if (trip_) head << FromUtf8(TourTotalText(*trip_));
    for (const QString& line : head) {
        painter.drawText(QRect(page.left(), y, page.width(), unit * 3 / 2), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += unit * 3 / 2;
    }
    y += unit / 2;

    // The map over up to half the page, its proportions kept.
    const QImage image = mapImage();
    if (!image.isNull()) {
        const QSize fit = image.size().scaled(QSize(page.width(), page.height() / 2), Qt::KeepAspectRatio);
        const QRect target(page.left() + (page.width() - fit.width()) / 2, y, fit.width(), fit.height());
        painter.drawImage(target, image);
        painter.setPen(QColor(120, 120, 120));
        painter.drawRect(target);
        y = target.bottom() + unit;
    }

    // The list, in a font small enough for every row to fit.
    if (trip_) {
        std::vector<QStringList> rows{{QStringLiteral("Nr."), QStringLiteral("Kreis"), QStringLiteral("Code"),
                                       QStringLiteral("Name"), QStringLiteral("D/T"), QStringLiteral("Etappe"),
                                       QStringLiteral("Gesamt")}};
        for (std::size_t i = 0; i < trip_->Stops.size(); ++i) rows.push_back(rowTexts(i));
        if (trip_->ReturnMetres > 0.0)
            rows.push_back({QString(), QStringLiteral("zurück nach Hause"), QString(), QString(), QString(),
                            KmText(trip_->ReturnMetres), KmText(trip_->LengthMetres)});
        for (int d : trip_->WithoutCandidate)
            rows.push_back({QString(), FromUtf8(DistrictNames[static_cast<std::size_t>(d)]), QString(),
                            QStringLiteral("kein Kandidat, nicht in der Tour"), QString(), QString(), QString()});
        const int rowHeight =
            std::max(1, std::min(unit * 3 / 2, (page.bottom() - y) / static_cast<int>(rows.size() + 1)));
        font.setPixelSize(std::max(1, rowHeight * 2 / 3));
        painter.setFont(font);
        painter.setPen(Qt::black);
        // Column shares of the width: Nr., Kreis, Code, Name, D/T, Etappe, Gesamt.
        constexpr int Shares[] = {5, 22, 11, 30, 8, 12, 12};
        for (std::size_t r = 0; r < rows.size(); ++r) {
            int x = page.left();
            QFont rowFont = font;
            rowFont.setBold(r == 0);
            painter.setFont(rowFont);
            const int pad = std::max(1, rowHeight / 3);
            for (int col = 0; col < 7; ++col) {
                const int width = page.width() * Shares[col] / 100;
                const int align = (col == OrderColumn || col >= LegColumn) ? Qt::AlignRight : Qt::AlignLeft;
                const QString text =
                    painter.fontMetrics().elidedText(rows[r].value(col), Qt::ElideRight, width - 2 * pad);
                painter.drawText(QRect(x + pad, y, width - 2 * pad, rowHeight), align | Qt::AlignVCenter, text);
                x += width;
            }
            y += rowHeight;
            if (r == 0) painter.drawLine(page.left(), y, page.right(), y);
        }
    }
    painter.restore();
}

void TripWindow::btnDruckenClick()
{
#ifdef QL_PRINT
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Tour durch die fehlenden Kreise"));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("TripPrintPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        QPainter painter(p);
        paintPage(painter, QRect(QPoint(0, 0), p->pageLayout().paintRectPixels(p->resolution()).size()));
    });
    preview.exec();
#endif
}

TripWindow* OpenTripWindow(QWidget* parent, const DistrictMap& districts, const std::vector<CacheRow>& rows,
                           const std::vector<Candidate>& caches, const CandidatePlan& plan, const PlanFilter& filter)
{
    auto* window = new TripWindow(districts, rows, caches, plan, filter, parent);
    window->show();
    window->raise();
    return window;
}

}  // namespace ql::ui
