#include "ui/overview/ProofListBar.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/common/ErrorBox.h"
#include "ui/common/SaveFile.h"

namespace ql::ui {

namespace {

constexpr ProofFormat Formats[] = {ProofFormat::Text, ProofFormat::BBCode, ProofFormat::Csv};

QString FormatName(ProofFormat format)
{
    return QString::fromUtf8(ProofFormatName(format).data(), static_cast<qsizetype>(ProofFormatName(format).size()));
}

}  // namespace

ProofListBar::ProofListBar(TextOf text, std::function<std::string()> queryDate, QWidget* parent)
        : QWidget(parent), text_(std::move(text)), queryDate_(std::move(queryDate))
{
    setObjectName(QStringLiteral("proofListBar"));
    auto* label = new QLabel(QStringLiteral("Nachweisliste kopieren &als:"), this);
    cboFormat_ = new QComboBox(this);
    cboFormat_->setObjectName(QStringLiteral("cboFormat"));
    for (ProofFormat format : Formats) cboFormat_->addItem(FormatName(format));
    label->setBuddy(cboFormat_);
    btnKopieren_ = new QPushButton(QStringLiteral("&Kopieren"), this);
    btnKopieren_->setObjectName(QStringLiteral("btnKopieren"));
    btnSpeichern_ = new QPushButton(QStringLiteral("&Speichern..."), this);
    btnSpeichern_->setObjectName(QStringLiteral("btnSpeichern"));

    // Two rows, so the bar fits the narrow side beside the map.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label, 0, 0);
    layout->addWidget(cboFormat_, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnKopieren_);
    buttons->addWidget(btnSpeichern_);
    buttons->addStretch(1);
    layout->addLayout(buttons, 1, 0, 1, 3);
    layout->setColumnStretch(2, 1);

    connect(btnKopieren_, &QPushButton::clicked, this, [this] { Guarded(this, [&] { copy(); }); });
    connect(btnSpeichern_, &QPushButton::clicked, this, [this] {
        Guarded(this, [&] {
            (void)text_(format());  // a list that cannot be made is refused before the dialog
            const QString path = SaveDialogPath(this, "SaveProofDialog", QStringLiteral("Nachweisliste speichern"),
                                                QStringLiteral("Text (*.txt);;BBCode (*.bbcode);;CSV (*.csv)"),
                                                QFileInfo(suggestedFileName()).suffix(), suggestedFileName());
            if (!path.isEmpty()) save(path);
        });
    });
}

ProofFormat ProofListBar::format() const
{
    return Formats[std::max(0, cboFormat_->currentIndex())];
}

void ProofListBar::setFormat(ProofFormat format)
{
    cboFormat_->setCurrentIndex(static_cast<int>(format));
}

void ProofListBar::copy()
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(text_(format())));
    emit message(QStringLiteral("Nachweisliste als ") + FormatName(format()) +
                 QStringLiteral(" in die Zwischenablage kopiert."));
}

void ProofListBar::save(const QString& path)
{
    const ProofFormat format = ProofFormatOfFileName(QFileInfo(path).fileName().toStdString());
    WriteBytes(path, QByteArray::fromStdString(ProofListFile(text_(format), format)));
    emit message(QStringLiteral("Nachweisliste gespeichert: ") + QDir::toNativeSeparators(path));
}

QString ProofListBar::suggestedFileName() const
{
    return QString::fromStdString(ProofFileName(queryDate_(), format()));
}

}  // namespace ql::ui
