#include "ui/TfrmLK.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <array>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/tables.h"
#include "ui/Controls.h"
#include "ui/ErrorBox.h"
#include "ui/Icons.h"
#include "ui/Placement.h"
#include "ui/TfrmFK.h"

namespace ql::ui {

namespace {

constexpr int ClientWidth = 666;
constexpr int ClientHeight = 797;

const QColor NoFindsColour(255, 0, 0);
const QColor FindsColour(0, 128, 0);

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
// district index of row 1.
struct LabelColumn {
    const char* prefix;
    const char* frame;
    int left;
    int rows;
    int firstDistrict;
};
constexpr LabelColumn LabelColumns[] = {
    // prefix      frame     left  rows  district of row 1
    {"lblLK",    "gboxLK",   24,  24,   0},
    {"lblLKAnz", "gboxLK",  248,  24,   0},
    {"lblSK",    "gboxSK",   24,  12,  24},
    {"lblSKAnz", "gboxSK",  254,  12,  24},
};
constexpr int NameColumnLK = 0, CountColumnLK = 1, NameColumnSK = 2, CountColumnSK = 3;

QString LabelName(const char* prefix, int k)
{
    return QString::fromLatin1(prefix) + QString::number(k);
}

}  // namespace

TfrmLK::TfrmLK(AppState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("frmLK"));
    KeepOpenOnEscape(this);  // no button cancels the window
    setModal(true);
    setFont(DesignFont(17));
    setAutoFillBackground(true);
    buildControls();
}

void TfrmLK::buildControls()
{
    gboxLK_ = new QGroupBox(QStringLiteral(" Landkreise "), this);
    gboxLK_->setObjectName(QStringLiteral("gboxLK"));
    gboxSK_ = new QGroupBox(QStringLiteral(" Stadtkreise "), this);
    gboxSK_->setObjectName(QStringLiteral("gboxSK"));
    for (QGroupBox* frame : {gboxLK_, gboxSK_}) frame->setAutoFillBackground(true);

    std::vector<std::string> names;  // keeps the row names alive while the table is applied
    std::vector<DesignRow> rows(std::begin(Design), std::end(Design));
    for (const LabelColumn& column : LabelColumns) {
        QWidget* frame = column.frame == std::string_view("gboxLK") ? gboxLK_ : gboxSK_;
        for (int k = 1; k <= column.rows; ++k) {
            auto* label = new QLabel(QStringLiteral("0"), frame);
            label->setObjectName(LabelName(column.prefix, k));
            names.push_back(label->objectName().toStdString());
        }
    }
    std::size_t n = 0;
    for (const LabelColumn& column : LabelColumns)
        for (int k = 1; k <= column.rows; ++k)
            rows.push_back({names[n++].c_str(), column.left, RowTops[k - 1], 0, 0});

    bbtnOK_ = MakeOkButton(this, "bbtnOK", QStringLiteral("OK"), QSize(Scaled(18), Scaled(18)));
    connect(bbtnOK_, &QPushButton::clicked, this, [this] { Guarded(this, [&] { bbtnOKClick(); }); });

    resize(ScaledSize(ClientWidth, ClientHeight));
    auto* placement = new Placement(this, ClientWidth, ClientHeight);
    placement->apply(rows.data(), rows.size());
}

void TfrmLK::FormCreate()
{
    setWindowTitle(QStringLiteral("Liste Quenlorn Landkreis / Stadtkreis"));
    ResetTallyLabels();
}

QLabel* TfrmLK::tallyLabel(const char* prefix, int k) const
{
    return findChild<QLabel*>(LabelName(prefix, k));
}

void TfrmLK::paintLabel(const char* prefix, int k, const QColor& colour, const QString* text)
{
    QLabel* label = tallyLabel(prefix, k);
    if (!label) return;  // a row without its label is skipped
    if (text) {
        label->setText(*text);
        label->adjustSize();
    }
    SetColour(label, QPalette::WindowText, colour);
}

void TfrmLK::ResetTallyLabels()
{
    const QString zero = QStringLiteral("0");
    for (int column : {NameColumnLK, NameColumnSK}) {
        const LabelColumn& names = LabelColumns[column];
        const LabelColumn& counts = LabelColumns[column + 1];
        for (int k = 1; k <= names.rows; ++k) {
            const QString name = QString::fromUtf8(DistrictNames[names.firstDistrict + k - 1]);
            paintLabel(names.prefix, k, NoFindsColour, &name);
            paintLabel(counts.prefix, k, NoFindsColour, &zero);
        }
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
    for (int i = 0; i < static_cast<int>(state_.DistrictTally.size()); ++i) {
        const auto count = state_.DistrictTally[i];
        if (count <= 0) continue;
        ++covered;
        const bool landkreis = i < LandkreisCount;
        const int k = landkreis ? i + 1 : i - (LandkreisCount - 1);
        const LabelColumn& names = LabelColumns[landkreis ? NameColumnLK : NameColumnSK];
        const LabelColumn& counts = LabelColumns[landkreis ? CountColumnLK : CountColumnSK];
        const QString text = QString::number(count);
        paintLabel(names.prefix, k, FindsColour, nullptr);
        paintLabel(counts.prefix, k, FindsColour, &text);
    }

    if (covered == DistrictCount && state_.CutoffEnabled && frmFK_) frmFK_->exec();
}

void TfrmLK::bbtnOKClick()
{
    accept();
}

void TfrmLK::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
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
