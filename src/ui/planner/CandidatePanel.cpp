#include "ui/planner/CandidatePanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "base/query_limits.h"
#include "base/user_error.h"
#include "state/app_state.h"
#include "reports/web_hosts.h"
#include "planner/found_codes.h"
#include "planner/gpx_export.h"
#include "planner/home_point.h"
#include "planner/progress.h"
#include "planner/trip_list.h"
#include "platform/platform.h"
#include "ui/planner/CandidateExportDialog.h"
#include "ui/planner/CandidateMapLayer.h"
#include "ui/planner/CandidateTableModel.h"
#include "ui/planner/TripWindow.h"
#include "ui/common/Controls.h"
#include "ui/overview/DistrictMapView.h"
#include "ui/common/ErrorBox.h"
#include "ui/overview/ProgressChart.h"

namespace ql::ui {

namespace {

std::string Native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

QString CoverageWord(Coverage c)
{
    return c == Coverage::Uncovered ? QStringLiteral("fehlt") : QStringLiteral("nur randnah");
}

const QString NoBoundariesPlanText = QStringLiteral(
    "Kreisgrenzen nicht geladen: Ohne sie lässt sich kein Kandidat einem Kreis zuordnen "
    "(Extras: \"Kreisgrenzen neu laden\").");

// A read that takes longer than this shows its progress and a way to cancel it.
constexpr int ProgressDelayMs = 500;

bool IsCandidateFile(const QString& path)
{
    return path.endsWith(QStringLiteral(".gpx"), Qt::CaseInsensitive) ||
           path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

}  // namespace

CandidatePanel::CandidatePanel(AppState& state, DistrictMapView* map, QWidget* parent)
        : QWidget(parent), state_(state), map_(map)
{
    setObjectName(QStringLiteral("CandidatePanel"));
    setAcceptDrops(true);
    buildControls();
    const QString home = QSettings().value(QString::fromLatin1(HomeSetting)).toString();
    if (!home.isEmpty()) {
        edtHeimat_->setText(home);
        try {
            session_.SetHome(ParseHomePoint(home.toStdString()));
        } catch (const UserError&) {
            // A remembered text that no longer reads leaves the home point unset.
        }
    }
    boundariesChanged();
}

CandidatePanel::~CandidatePanel()
{
    if (readCancel_) readCancel_->Cancel();
    if (reader_.joinable()) reader_.join();
}

void CandidatePanel::buildControls()
{
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };

    // Left: the lists, the home point, the filters, the wanted districts.
    lblSuchlisten_ = new QLabel(this);
    lblSuchlisten_->setObjectName(QStringLiteral("lblSuchlisten"));
    lblSuchlisten_->setWordWrap(true);
    lblSuchlisten_->setMinimumHeight(2 * lblSuchlisten_->fontMetrics().lineSpacing() + 2);
    btnLaden_ = button("btnSuchlisteLaden", QStringLiteral("Suchliste laden..."));
    btnLeeren_ = button("btnSuchlistenLeeren", QStringLiteral("Leeren"));
    edtHeimat_ = new QLineEdit(this);
    edtHeimat_->setObjectName(QStringLiteral("edtHeimat"));
    edtHeimat_->setPlaceholderText(QStringLiteral("N 49° 59.123 E 008° 15.456"));
    cboxVerfuegbar_ = new QCheckBox(QStringLiteral("Nur verfügbare"), this);
    cboxVerfuegbar_->setObjectName(QStringLiteral("cboxVerfuegbar"));
    cboxVerfuegbar_->setChecked(true);
    auto ratingBox = [this](const char* name) {
        auto* s = new QDoubleSpinBox(this);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(1.0, 5.0);
        s->setSingleStep(0.5);
        s->setDecimals(1);
        s->setValue(5.0);
        return s;
    };
    spinMaxD_ = ratingBox("spinMaxD");
    spinMaxT_ = ratingBox("spinMaxT");

    tblKreise_ = new QTableWidget(0, 3, this);
    tblKreise_->setObjectName(QStringLiteral("tblKandidatenKreise"));
    tblKreise_->setHorizontalHeaderLabels(
        {QStringLiteral("Kreis"), QStringLiteral("Stand"), QStringLiteral("Kandidaten")});
    tblKreise_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblKreise_->setSelectionMode(QAbstractItemView::SingleSelection);
    tblKreise_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblKreise_->verticalHeader()->hide();
    tblKreise_->verticalHeader()->setDefaultSectionSize(tblKreise_->fontMetrics().height() + 6);
    tblKreise_->horizontalHeader()->setStretchLastSection(true);

    auto* files = new QHBoxLayout;
    files->addWidget(btnLaden_);
    files->addWidget(btnLeeren_);

    // Shown while a read takes long: what is read, and the way to stop it.
    progressRow_ = new QWidget(this);
    progressRow_->setObjectName(QStringLiteral("pnlLesen"));
    lblLesen_ = new QLabel(progressRow_);
    lblLesen_->setObjectName(QStringLiteral("lblLesen"));
    pbLesen_ = new QProgressBar(progressRow_);
    pbLesen_->setObjectName(QStringLiteral("pbLesen"));
    pbLesen_->setRange(0, 0);  // busy: a list's size says little about its reading time
    pbLesen_->setMaximumHeight(lblLesen_->sizeHint().height());
    btnAbbrechen_ = new QPushButton(QStringLiteral("Abbrechen"), progressRow_);
    btnAbbrechen_->setObjectName(QStringLiteral("btnLesenAbbrechen"));
    auto* progress = new QHBoxLayout(progressRow_);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->addWidget(lblLesen_);
    progress->addWidget(pbLesen_, 1);
    progress->addWidget(btnAbbrechen_);
    progressRow_->hide();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Heimatpunkt:"), edtHeimat_);
    auto* ratings = new QHBoxLayout;
    ratings->addWidget(cboxVerfuegbar_);
    ratings->addWidget(new QLabel(QStringLiteral("max. D"), this));
    ratings->addWidget(spinMaxD_);
    ratings->addWidget(new QLabel(QStringLiteral("max. T"), this));
    ratings->addWidget(spinMaxT_);
    auto* left = new QVBoxLayout;
    left->addLayout(files);
    left->addWidget(progressRow_);
    left->addWidget(lblSuchlisten_);
    left->addLayout(form);
    left->addLayout(ratings);
    left->addWidget(tblKreise_, 1);

    // Middle: the candidates of the chosen district.
    lblKreis_ = new QLabel(this);
    lblKreis_->setObjectName(QStringLiteral("lblKandidatenKreis"));
    model_ = new CandidateTableModel(this);
    tblKandidaten_ = new QTableView(this);
    tblKandidaten_->setObjectName(QStringLiteral("tblKandidaten"));
    tblKandidaten_->setModel(model_);
    tblKandidaten_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblKandidaten_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblKandidaten_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblKandidaten_->verticalHeader()->hide();
    tblKandidaten_->verticalHeader()->setDefaultSectionSize(tblKandidaten_->fontMetrics().height() + 6);
    tblKandidaten_->horizontalHeader()->setStretchLastSection(true);
    btnExport_ = button("btnGpxExport", QStringLiteral("Als GPX exportieren..."));
    btnListe_ = button("btnListeKopieren", QStringLiteral("Als Liste kopieren"));
    auto* actions = new QHBoxLayout;
    actions->addWidget(btnExport_);
    actions->addWidget(btnListe_);
    auto* btnTour = button("btnTourPlanen", QStringLiteral("Tour planen"));
    actions->addWidget(btnTour);
    connect(btnTour, &QPushButton::clicked, this, [this] {
        Guarded(this, [&] {
            OpenTripWindow(this, state_.PolyTable, state_.Rows, session_.Caches(), session_.Plan(), session_.Filter());
        });
    });
    actions->addStretch(1);
    auto* middle = new QVBoxLayout;
    middle->addWidget(lblKreis_);
    middle->addWidget(tblKandidaten_, 1);
    middle->addLayout(actions);

    chart_ = new ProgressChart(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(left, 3);
    layout->addLayout(middle, 5);
    layout->addWidget(chart_, 3);

    layer_ = new CandidateMapLayer(map_);
    btnPlaner_ = new QPushButton(QStringLiteral("Fehlende Kreise &planen"));
    btnPlaner_->setObjectName(QStringLiteral("btnPlaner"));
    btnPlaner_->setCheckable(true);
    connect(btnPlaner_, &QPushButton::toggled, this, &CandidatePanel::setOpen);

    ConnectGuarded(btnLaden_, &QPushButton::clicked, this, &CandidatePanel::btnLadenClick);
    ConnectGuarded(btnLeeren_, &QPushButton::clicked, this, &CandidatePanel::btnLeerenClick);
    ConnectGuarded(btnExport_, &QPushButton::clicked, this, &CandidatePanel::btnExportClick);
    ConnectGuarded(btnListe_, &QPushButton::clicked, this, &CandidatePanel::btnListeClick);
    connect(edtHeimat_, &QLineEdit::editingFinished, this,
            [this] { Guarded(this, [&] { setHomeText(edtHeimat_->text()); }); });
    connect(btnAbbrechen_, &QPushButton::clicked, this, &CandidatePanel::cancelLoading);
    const auto filterChanged = [this] {
        session_.SetFilter(cboxVerfuegbar_->isChecked(), spinMaxD_->value(), spinMaxT_->value());
        refresh();
    };
    connect(cboxVerfuegbar_, &QCheckBox::toggled, this, filterChanged);
    connect(spinMaxD_, &QDoubleSpinBox::valueChanged, this, filterChanged);
    connect(spinMaxT_, &QDoubleSpinBox::valueChanged, this, filterChanged);
    connect(tblKreise_, &QTableWidget::cellClicked, this, [this](int row, int) {
        const int d = tblKreise_->item(row, 0)->data(Qt::UserRole).toInt();
        setDistrict(d);
        emit districtChosen(d);
    });
    connect(tblKandidaten_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { Guarded(this, [&] { openListing(model_->rowAt(index.row()).Code); }); });
    connect(layer_, &CandidateMapLayer::candidateActivated, this, [this](std::size_t cache) {
        Guarded(this, [&] {
            if (cache < session_.Caches().size()) openListing(session_.Caches()[cache].Code);
        });
    });
}

void CandidatePanel::attachTo(QSplitter* splitter)
{
    splitter_ = splitter;
    splitter_->setCollapsible(splitter_->indexOf(this), true);
    setOpen(false);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { btnPlaner_->setChecked(isOpen()); });
}

bool CandidatePanel::isOpen() const
{
    return splitter_ && !isHidden() &&
           splitter_->sizes().value(splitter_->indexOf(const_cast<CandidatePanel*>(this))) > 0;
}

void CandidatePanel::setOpen(bool open)
{
    btnPlaner_->setChecked(open);
    if (!splitter_ || (open && isOpen())) return;
    // Closed, the panel is hidden, and with it the splitter's handle: the map keeps all the room.
    setVisible(open);
    if (!open) return;
    const int total = std::max(100, splitter_->height());
    QList<int> sizes = splitter_->sizes();
    const int mine = splitter_->indexOf(this);
    for (int i = 0; i < sizes.size(); ++i) sizes[i] = i == mine ? total * 2 / 5 : total * 3 / 5;
    splitter_->setSizes(sizes);
}

void CandidatePanel::ScanFinished(const DistrictOverview& overview, CodeSet found,
                                  const std::vector<ProgressStep>& timeline, double thresholdMetres)
{
    // The scan may follow boundaries loaded anew: they first, then the finds on them.
    session_.SetBoundaries(BoundariesLoaded(state_) ? &state_.PolyTable : nullptr);
    session_.SetThreshold(thresholdMetres);
    // Caches found since the lists were loaded drop out.
    session_.SetFinds(overview, std::move(found));
    chart_->setSteps(timeline);
    refresh();
}

void CandidatePanel::setThreshold(double metres)
{
    session_.SetThreshold(metres);
    refresh();
}

void CandidatePanel::boundariesChanged()
{
    session_.SetBoundaries(BoundariesLoaded(state_) ? &state_.PolyTable : nullptr);
    refresh();
}

void CandidatePanel::btnLadenClick()
{
    QFileDialog dialog(this, QStringLiteral("Suchliste laden"));
    dialog.setObjectName(QStringLiteral("OpenCandidatesDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({QStringLiteral("Pocket Queries (*.gpx *.zip)"), QStringLiteral("Alle Dateien (*)")});
    if (dialog.exec() != QDialog::Accepted) return;
    LoadFiles(dialog.selectedFiles());
}

void CandidatePanel::LoadFiles(const QStringList& paths)
{
    setOpen(true);
    for (const QString& p : paths) waiting_.push_back(Native(p));
    if (!isLoading()) startReading();
}

void CandidatePanel::startReading()
{
    if (waiting_.empty()) return;
    reading_ = std::move(waiting_);
    waiting_.clear();
    readCancel_ = std::make_shared<CancelToken>();
    lblLesen_->setText(reading_.size() == 1
                           ? QStringLiteral("1 Suchliste wird gelesen...")
                           : QString::number(reading_.size()) + QStringLiteral(" Suchlisten werden gelesen..."));
    btnLeeren_->setEnabled(false);
    // Escape stops the read from its start, before the window's own Escape closes the window.
    qApp->installEventFilter(this);
    QTimer::singleShot(ProgressDelayMs, this, [this, token = readCancel_] {
        if (isLoading() && token == readCancel_) progressRow_->show();
    });
    reader_ = std::thread([this, paths = reading_, found = session_.Found(), token = readCancel_] {
        auto read = std::make_shared<ListsRead>();
        bool cancelled = false;
        QString failure;
        try {
            read->second = PlannerSession::ReadLists(paths, found, read->first, token.get());
        } catch (const Cancelled&) {
            cancelled = true;
        } catch (const std::bad_alloc&) {
            failure = QStringLiteral("Zu wenig Arbeitsspeicher");
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        // Back on the window's thread; dropped if the panel is gone meanwhile.
        QMetaObject::invokeMethod(
            this, [this, read, cancelled, failure] { readingDone(read, cancelled, failure); }, Qt::QueuedConnection);
    });
}

void CandidatePanel::readingDone(std::shared_ptr<ListsRead> read, bool cancelled, QString failure)
{
    if (reader_.joinable()) reader_.join();
    readCancel_.reset();
    qApp->removeEventFilter(this);
    progressRow_->hide();
    btnLeeren_->setEnabled(true);
    Guarded(this, [&] {
        if (cancelled) {
            waiting_.clear();
            tell(QStringLiteral("Laden der Suchlisten abgebrochen; die geladenen Listen bleiben."));
            return;
        }
        if (!failure.isEmpty()) throw UserError(failure.toStdString());
        // The boundaries as they are now: a load may have come meanwhile.
        session_.SetBoundaries(BoundariesLoaded(state_) ? &state_.PolyTable : nullptr);
        lastLoad_ = session_.AddRead(std::move(read->first), read->second);
        refresh();
        if (!lastLoad_.Errors.empty()) {
            std::string text;
            for (const std::string& e : lastLoad_.Errors) text += (text.empty() ? "" : "\n") + e;
            throw UserError(text);
        }
    });
    emit loadFinished();
    if (!waiting_.empty()) startReading();
}

void CandidatePanel::cancelLoading()
{
    if (readCancel_) readCancel_->Cancel();
}

bool CandidatePanel::eventFilter(QObject* watched, QEvent* event)
{
    const bool escape = (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (escape && isLoading() && widget && widget->window() == window()) {
        event->accept();
        if (event->type() == QEvent::KeyPress) cancelLoading();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CandidatePanel::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && IsCandidateFile(url.toLocalFile())) {
            event->acceptProposedAction();
            return;
        }
}

void CandidatePanel::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && IsCandidateFile(url.toLocalFile())) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    LoadFiles(paths);
}

void CandidatePanel::btnLeerenClick()
{
    session_.ClearLists();
    lastLoad_ = {};
    refresh();
}

void CandidatePanel::setHomeText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        session_.SetHome(std::nullopt);
    } else {
        const TFPoint home = ParseHomePoint(trimmed.toStdString());
        session_.SetHome(home);
        edtHeimat_->setText(FromUtf8(HomePointText(home)));
    }
    QSettings().setValue(QString::fromLatin1(HomeSetting), edtHeimat_->text());
    refresh();
}

void CandidatePanel::showListsText()
{
    const std::size_t files = session_.Lists().Files().size();
    QString text = QString::number(files) +
                   (files == 1 ? QStringLiteral(" Suchliste, ") : QStringLiteral(" Suchlisten, ")) +
                   FromUtf8(GroupedNumber(session_.Caches().size())) + QStringLiteral(" Caches");
    QStringList last;
    if (lastLoad_.Duplicates + lastLoad_.AlreadyFound > 0)
        last << QString::number(lastLoad_.Duplicates) + QStringLiteral(" doppelt")
             << QString::number(lastLoad_.AlreadyFound) + QStringLiteral(" schon gefunden");
    if (lastLoad_.WithoutCoordinates > 0)
        last << QString::number(lastLoad_.WithoutCoordinates) +
                    (lastLoad_.WithoutCoordinates == 1 ? QStringLiteral(" Wegpunkt") : QStringLiteral(" Wegpunkte")) +
                    QStringLiteral(" ohne gültige Koordinaten übersprungen");
    if (!last.isEmpty()) text += QStringLiteral(" (zuletzt ") + last.join(QStringLiteral(", ")) + QLatin1Char(')');
    if (!session_.HasBoundaries()) text += QStringLiteral("\n") + NoBoundariesPlanText;
    lblSuchlisten_->setText(text);
}

void CandidatePanel::refresh()
{
    std::vector<std::size_t> shown;
    for (const DistrictCandidates& dc : session_.Plan())
        for (const RankedCandidate& r : dc.ranked)
            if (dc.wanted) shown.push_back(r.cache);
    layer_->setCandidates(&session_.Caches(), std::move(shown));
    showListsText();
    showDistricts();
    showDistrict();
}

void CandidatePanel::showDistricts()
{
    tblKreise_->setRowCount(0);
    for (int d : session_.WantedDistricts()) {
        const DistrictCandidates& dc = session_.Plan()[static_cast<std::size_t>(d)];
        const int row = tblKreise_->rowCount();
        tblKreise_->insertRow(row);
        auto* name = new QTableWidgetItem(FromUtf8(DistrictNames[static_cast<std::size_t>(d)]));
        name->setData(Qt::UserRole, d);
        tblKreise_->setItem(row, 0, name);
        tblKreise_->setItem(row, 1, new QTableWidgetItem(CoverageWord(dc.coverage)));
        auto* count = new QTableWidgetItem(QString::number(dc.ranked.size()));
        tblKreise_->setItem(row, 2, count);
        if (d == district_) tblKreise_->selectRow(row);
    }
    tblKreise_->resizeColumnsToContents();
    tblKreise_->horizontalHeader()->setStretchLastSection(true);
}

void CandidatePanel::setDistrict(int district)
{
    district_ = district;
    for (int row = 0; row < tblKreise_->rowCount(); ++row)
        if (tblKreise_->item(row, 0)->data(Qt::UserRole).toInt() == district) tblKreise_->selectRow(row);
    showDistrict();
}

void CandidatePanel::showDistrict()
{
    if (!session_.HasBoundaries()) {
        // Short: the label does not wrap; the lists' line below the buttons says why.
        lblKreis_->setText(FromUtf8(NoBoundariesText) + QLatin1Char('.'));
        model_->setRows({});
        return;
    }
    if (district_ < 0 || district_ >= DistrictCount) {
        lblKreis_->setText(QStringLiteral("Einen Kreis wählen, um seine Kandidaten zu sehen."));
        model_->setRows({});
        return;
    }
    const DistrictCandidates& dc = session_.Plan()[static_cast<std::size_t>(district_)];
    const QString name = FromUtf8(DistrictNames[static_cast<std::size_t>(district_)]);
    if (!dc.wanted) {
        lblKreis_->setText(name + QStringLiteral(": belegt, keine Kandidaten nötig."));
        model_->setRows({});
        return;
    }
    QString text = name + QStringLiteral(" (") + CoverageWord(dc.coverage) + QStringLiteral("): ") +
                   QString::number(dc.ranked.size()) + QStringLiteral(" Kandidaten");
    text += session_.Filter().home ? QStringLiteral(", nach Entfernung von zu Hause")
                                   : QStringLiteral(", die innersten zuerst");
    lblKreis_->setText(text);
    model_->setRows(session_.RowsOf(district_));
    tblKandidaten_->resizeColumnsToContents();
}

void CandidatePanel::btnExportClick()
{
    int wanted = 0;
    for (const DistrictCandidates& dc : session_.Plan()) wanted += dc.wanted && !dc.ranked.empty();
    const int selected = static_cast<int>(tblKandidaten_->selectionModel()->selectedRows().size());
    CandidateExportDialog choice(selected, wanted, this);
    if (choice.exec() != QDialog::Accepted) return;
    QFileDialog dialog(this, QStringLiteral("Als GPX exportieren"));
    dialog.setObjectName(QStringLiteral("SaveGpxDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("GPX-Datei (*.gpx)"));
    dialog.setDefaultSuffix(QStringLiteral("gpx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    ExportGpx(dialog.selectedFiles().first(), choice.selectedOnly(), choice.perDistrict());
}

void CandidatePanel::ExportGpx(const QString& path, bool selectedOnly, int perDistrict)
{
    std::vector<std::size_t> chosen;
    if (selectedOnly) {
        QModelIndexList rows = tblKandidaten_->selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end(),
                  [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        for (const QModelIndex& row : rows) chosen.push_back(model_->rankedAt(row.row()).cache);
        // The model is reset on every change of the session: its cache indexes are current.
    } else {
        chosen = BestPerDistrict(session_.Plan(), static_cast<std::size_t>(std::max(1, perDistrict)));
    }
    if (chosen.empty()) throw UserError("Es gibt keine Caches zum Exportieren.");
    std::vector<const Candidate*> caches;
    for (std::size_t i : chosen) caches.push_back(&session_.Caches()[i]);
    WriteFileReplacing(Native(path), CandidateGpxText(caches, GpxTimeNow()));
    tell(QStringLiteral("GPX-Datei gespeichert: ") + QDir::toNativeSeparators(path) + QStringLiteral(" (") +
         QString::number(caches.size()) +
         (caches.size() == 1 ? QStringLiteral(" Cache)") : QStringLiteral(" Caches)")));
}

std::string CandidatePanel::TripList() const
{
    return TripListText(session_.Caches(), session_.Plan());
}

void CandidatePanel::btnListeClick()
{
    QGuiApplication::clipboard()->setText(FromUtf8(TripList()));
    tell(QStringLiteral("Liste der Kandidaten in die Zwischenablage kopiert."));
}

void CandidatePanel::tell(const QString& text)
{
    lastMessage_ = text;
    emit message(text);
}

void CandidatePanel::openListing(const std::string& code)
{
    platform::ShellOpen(std::string(ShortLinkBase) + code);
}

}  // namespace ql::ui
