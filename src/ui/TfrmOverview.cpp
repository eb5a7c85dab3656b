#include "ui/TfrmOverview.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "base/user_error.h"
#include "state/app_state.h"
#include "reports/proof_list.h"
#include "reports/web_hosts.h"
#include "platform/platform.h"
#include "ui/CandidatePanel.h"
#include "ui/Controls.h"
#include "ui/DistrictMapView.h"
#include "ui/ErrorBox.h"
#include "ui/OverviewTableModel.h"

namespace ql::ui {

namespace {

const QString NoQueryText = QStringLiteral("Keine Query geladen: alle Kreise ohne Fund.");

QString SaveDialogPath(QWidget* parent, const char* name, const QString& caption, const QString& filter,
                       const QString& suffix)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

[[noreturn]] void ThrowNotWritten(const QString& path, const QString& reason)
{
    std::string message = "Datei \"" + QDir::toNativeSeparators(path).toStdString() + "\" kann nicht erstellt werden.";
    if (!reason.isEmpty()) message += " " + reason.toStdString();
    throw UserError(message);
}

}  // namespace

TfrmOverview::TfrmOverview(AppState& state, QWidget* parent) : QWidget(parent, Qt::Window), state_(state)
{
    setObjectName(QStringLiteral("frmOverview"));
    setWindowTitle(QStringLiteral("Kreisübersicht"));
    buildControls();
    resize(1200, 760);
    ScanFinished();
}

TfrmOverview::~TfrmOverview() = default;

void TfrmOverview::buildControls()
{
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setTextFormat(Qt::PlainText);

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
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(map_);
    splitter->addWidget(table_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* lblSchwelle = new QLabel(QStringLiteral("Randnah unter (m):"), this);
    spinSchwelle_ = new QSpinBox(this);
    spinSchwelle_->setObjectName(QStringLiteral("spinSchwelle"));
    spinSchwelle_->setRange(0, static_cast<int>(MaxBorderThreshold));
    spinSchwelle_->setSingleStep(10);
    lblSchwelle->setBuddy(spinSchwelle_);
    const int remembered = QSettings().value(QString::fromLatin1(ThresholdSetting), DefaultBorderThreshold).toInt();
    spinSchwelle_->setValue(std::clamp(remembered, 0, static_cast<int>(MaxBorderThreshold)));

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    btnEinpassen_ = button("btnEinpassen", QStringLiteral("Ganzes Land"));
    btnBild_ = button("btnBild", QStringLiteral("Bild speichern..."));
    btnKopieren_ = button("btnKopieren", QStringLiteral("Nachweisliste kopieren"));
    btnSpeichern_ = button("btnSpeichern", QStringLiteral("Speichern..."));
    btnSchliessen_ = button("btnSchliessen", QStringLiteral("Schließen"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(lblSchwelle);
    bar->addWidget(spinSchwelle_);
    bar->addSpacing(12);
    bar->addWidget(btnEinpassen_);
    bar->addWidget(btnBild_);
    bar->addWidget(planner_->toggleButton());
    bar->addStretch(1);
    bar->addWidget(btnKopieren_);
    bar->addWidget(btnSpeichern_);
    bar->addWidget(btnSchliessen_);

    // The planner under the map and the table.
    auto* planSplitter = new QSplitter(Qt::Vertical, this);
    planSplitter->addWidget(splitter);
    planSplitter->addWidget(planner_);
    planner_->attachTo(planSplitter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus_);
    layout->addWidget(planSplitter, 1);
    layout->addLayout(bar);

    map_->setThreshold(threshold());
    connect(spinSchwelle_, &QSpinBox::valueChanged, this, [this](int v) { Guarded(this, [&] { thresholdChanged(v); }); });
    connect(btnEinpassen_, &QPushButton::clicked, this, [this] { map_->fitAll(); });
    connect(btnBild_, &QPushButton::clicked, this, [this] {
        Guarded(this, [&] {
            const QString path = SaveDialogPath(this, "SaveImageDialog", QStringLiteral("Bild speichern"),
                                                QStringLiteral("PNG-Bild (*.png)"), QStringLiteral("png"));
            if (!path.isEmpty()) SaveImage(path);
        });
    });
    connect(btnKopieren_, &QPushButton::clicked, this, [this] { Guarded(this, [&] { btnKopierenClick(); }); });
    connect(btnSpeichern_, &QPushButton::clicked, this, [this] {
        Guarded(this, [&] {
            const QString path = SaveDialogPath(this, "SaveProofDialog", QStringLiteral("Nachweisliste speichern"),
                                                QStringLiteral("Textdatei (*.txt)"), QStringLiteral("txt"));
            if (!path.isEmpty()) SaveProofList(path);
        });
    });
    connect(btnSchliessen_, &QPushButton::clicked, this, &QWidget::close);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                map_->setSelectedDistrict(current.isValid() ? proxy_->mapToSource(current).row() : -1);
                planner_->setDistrict(current.isValid() ? proxy_->mapToSource(current).row() : -1);
            });
    connect(planner_, &CandidatePanel::districtChosen, this, [this](int d) { selectDistrict(d); });
    connect(map_, &DistrictMapView::districtClicked, this, [this](int d) { selectDistrict(d); });
    connect(map_, &DistrictMapView::findActivated, this, [this](int row) { Guarded(this, [&] { openListing(row); }); });
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
    showStatus();
}

void TfrmOverview::showStatus()
{
    if (!queryLoaded_) {
        lblStatus_->setText(NoQueryText);
        return;
    }
    int nearBorder = 0, outside = 0;
    for (int d = 0; d < DistrictCount; ++d) nearBorder += overview_.CoverageOf(d, threshold()) == Coverage::NearBorder;
    for (const FindPlace& place : overview_.finds) outside += place.district < 0;
    QString text = QString::number(overview_.CoveredCount()) + QStringLiteral(" von 36 Kreisen belegt, davon ") +
                   QString::number(nearBorder) + QStringLiteral(" nur randnah. ") +
                   QString::number(overview_.finds.size()) + QStringLiteral(" Funde, ") + QString::number(outside) +
                   QStringLiteral(" nicht im Polygon.");
    if (state_.CutoffEnabled) text += QStringLiteral(" Funde ab ") + FromUtf8(CutoffDate) + QLatin1Char('.');
    lblStatus_->setText(text);
}

std::string TfrmOverview::ProofListText() const
{
    return BuildProofList(overview_, state_.Rows, state_.CutoffEnabled);
}

void TfrmOverview::btnKopierenClick()
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(ProofListText()));
}

void TfrmOverview::SaveProofList(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) ThrowNotWritten(path, file.errorString());
    const std::string text = ProofListText();
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        ThrowNotWritten(path, file.errorString());
}

void TfrmOverview::SaveImage(const QString& path) const
{
    if (!planner_->WithPlan(map_->renderImage(map_->size())).save(path, "PNG")) ThrowNotWritten(path, QString());
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
    QWidget::showEvent(event);
    map_->fitAll();
}

}  // namespace ql::ui
