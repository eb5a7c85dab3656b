#include "ui/dialogs/TfrmLK.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <string>
#include <vector>

#include "state/app_state.h"
#include "core/tables.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/common/Icons.h"
#include "ui/common/Placement.h"
#include "ui/dialogs/TfrmFK.h"

namespace ql::ui {

namespace {

constexpr int ClientWidth = 666;
constexpr int ClientHeight = 797;

const QColor NoFindsColour(255, 0, 0);
const QColor FindsColour(0, 128, 0);
// A district not counted because the boundaries are not loaded: no result, no alarm.
const QColor UnknownColour(128, 128, 128);
const QString HintText = QStringLiteral("Strg+K: Kreisübersicht");

// name      left  top  width  height
constexpr DesignRow Design[] = {
    {"gboxLK",    8,   8,   321,   705},
    {"gboxSK",  335,   8,   322,   369},
    {"bbtnOK",  256, 736,   161,    45},
};

// Tops of the label rows inside a frame; the Stadtkreis frame uses the first 12.
constexpr std::array<int, 24> RowTops = {32,  59,  88,  115, 144, 171, 200, 227, 256, 283, 312, 339,
                                         368, 395, 424, 451, 478, 507, 534, 563, 590, 619, 646, 675};

// The label columns: name prefix + row number, frame, left edge, row count,
// district index of row 1, and whether the column holds the counts.
enum class Frame { LK, SK };
struct LabelColumn {
    const char* prefix;
    Frame frame;
    int left;
    int rows;
    int firstDistrict;
    bool counts;
};
constexpr LabelColumn LabelColumns[] = {
    // prefix      frame      left  rows  district of row 1  counts
    {"lblLK",    Frame::LK,   24,  24,   0,                  false},
    {"lblLKAnz", Frame::LK,  248,  24,   0,                  true},
    {"lblSK",    Frame::SK,   24,  12,  24,                  false},
    {"lblSKAnz", Frame::SK,  254,  12,  24,                  true},
};

// New text (when given) and colour of one tally label.
void PaintLabel(QLabel* label, const QColor& colour, const QString* text)
{
    if (text) SetLabelText(label, *text);
    SetColour(label, QPalette::WindowText, colour);
}

}  // namespace

TfrmLK::TfrmLK(AppState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("frmLK"));
    setModal(true);
    setFont(DesignFont(17));
    setAutoFillBackground(true);
    buildControls();
    buildOverviewEntry();
}

void TfrmLK::buildOverviewEntry()
{
    // A context menu and a short-cut: the window's design stays as it is.
    auto* overview = new QAction(QStringLiteral("Kreisübersicht..."), this);
    overview->setObjectName(QStringLiteral("mnuKreisuebersicht"));
    overview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    overview->setShortcutContext(Qt::WindowShortcut);
    addAction(overview);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(overview, &QAction::triggered, this, [this] { mnuKreisuebersichtClick(); });
}

void TfrmLK::mnuKreisuebersichtClick()
{
    accept();
    // Queued, so that the overview opens once this window's own loop has ended.
    QTimer::singleShot(0, this, [this] { emit overviewRequested(); });
}

void TfrmLK::buildControls()
{
    gboxLK_ = new QGroupBox(QStringLiteral(" Landkreise "), this);
    gboxLK_->setObjectName(QStringLiteral("gboxLK"));
    gboxSK_ = new QGroupBox(QStringLiteral(" Stadtkreise "), this);
    gboxSK_->setObjectName(QStringLiteral("gboxSK"));
    for (QGroupBox* frame : {gboxLK_, gboxSK_}) frame->setAutoFillBackground(true);

    // The design rows of the labels name them; the names live while the table is applied.
    std::vector<std::string> names;
    names.reserve(2 * DistrictCount);
    std::vector<DesignRow> rows(std::begin(Design), std::end(Design));
    for (const LabelColumn& column : LabelColumns) {
        QWidget* frame = column.frame == Frame::LK ? gboxLK_ : gboxSK_;
        auto& labels = column.counts ? countLabels_ : nameLabels_;
        for (int k = 1; k <= column.rows; ++k) {
            names.push_back(column.prefix + std::to_string(k));
            auto* label = new QLabel(QStringLiteral("0"), frame);
            label->setObjectName(QString::fromStdString(names.back()));
            labels[static_cast<std::size_t>(column.firstDistrict + k - 1)] = label;
            rows.push_back({names.back().c_str(), column.left, RowTops[static_cast<std::size_t>(k - 1)], 0, 0});
        }
    }

    bbtnOK_ = MakeOkButton(this, "bbtnOK", QStringLiteral("OK"), QSize(Scaled(18), Scaled(18)));
    ConnectGuarded(bbtnOK_, &QPushButton::clicked, this, &TfrmLK::bbtnOKClick);

    // The way to the overview, in the free corner left of OK: the design's controls stay where they are.
    lblUebersicht_ = new QLabel(HintText, this);
    lblUebersicht_->setObjectName(QStringLiteral("lblUebersicht"));
    rows.push_back({"lblUebersicht", 8, 750, 0, 0});

    resize(ScaledSize(ClientWidth, ClientHeight));
    auto* placement = new Placement(this, ClientWidth, ClientHeight);
    placement->apply(rows.data(), rows.size());
}

void TfrmLK::FormCreate()
{
    setWindowTitle(QStringLiteral("Liste Quenlorn Landkreis / Stadtkreis"));
    ResetTallyLabels();
}

void TfrmLK::ResetTallyLabels()
{
    const QString zero = QStringLiteral("0");
    for (std::size_t i = 0; i < nameLabels_.size(); ++i) {
        const QString name = FromUtf8(DistrictNames[i]);
        PaintLabel(nameLabels_[i], NoFindsColour, &name);
        PaintLabel(countLabels_[i], NoFindsColour, &zero);
    }
}

void TfrmLK::setFrameColour(QPalette::ColorRole role)
{
    const QColor colour = palette().color(role);
    for (QGroupBox* frame : {gboxLK_, gboxSK_}) SetColour(frame, QPalette::Window, colour);
}

void TfrmLK::FormActivate()
{
    setFrameColour(state_.CutoffEnabled ? FilterOnFrameRole : FilterOffFrameRole);
    ResetTallyLabels();

    int covered = 0;
    for (std::size_t i = 0; i < nameLabels_.size(); ++i) {
        const auto count = state_.DistrictTally[i];
        if (count <= 0) continue;
        ++covered;
        const QString text = QString::number(count);
        PaintLabel(nameLabels_[i], FindsColour, nullptr);
        PaintLabel(countLabels_[i], FindsColour, &text);
    }

    // After a failed load of the boundaries a district without finds is
    // unknown, not missing. Before any query the design's red zeros stand.
    const bool bounded = state_.PolygonLoadFailure.empty();
    SetLabelText(lblUebersicht_, bounded ? HintText : FromUtf8(NoBoundariesText));
    SetColour(lblUebersicht_, QPalette::WindowText, bounded ? palette().color(QPalette::WindowText) : NoFindsColour);
    if (!bounded) {
        const QString unknown = QStringLiteral("–");
        for (std::size_t i = 0; i < nameLabels_.size(); ++i) {
            if (state_.DistrictTally[i] > 0) continue;
            PaintLabel(nameLabels_[i], UnknownColour, nullptr);
            PaintLabel(countLabels_[i], UnknownColour, &unknown);
        }
    }

    if (covered == DistrictCount && state_.CutoffEnabled && frmFK_) frmFK_->exec();
}

void TfrmLK::bbtnOKClick()
{
    accept();
}

void TfrmLK::showEvent(QShowEvent* event)
{
    CentreOnScreen(this);
    activationPending_ = true;
    QDialog::showEvent(event);
    // Also when the window system gives the new window no focus.
    QTimer::singleShot(0, this, [this] { runPendingActivation(); });
}

void TfrmLK::runPendingActivation()
{
    if (!activationPending_ || !isVisible()) return;
    activationPending_ = false;
    Guarded(this, [&] { FormActivate(); });
}

void TfrmLK::hideEvent(QHideEvent* event)
{
    activationPending_ = false;
    QDialog::hideEvent(event);
}

bool TfrmLK::event(QEvent* event)
{
    const bool result = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) runPendingActivation();
    return result;
}

}  // namespace ql::ui
