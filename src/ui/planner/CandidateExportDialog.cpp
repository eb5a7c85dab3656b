#include "ui/planner/CandidateExportDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ql::ui {

CandidateExportDialog::CandidateExportDialog(int selected, int wantedDistricts, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CandidateExportDialog"));
    setWindowTitle(QStringLiteral("Als GPX exportieren"));
    setModal(true);

    rbAusgewaehlt_ = new QRadioButton(QStringLiteral("Die ausgewählten Caches (%1)").arg(selected), this);
    rbAusgewaehlt_->setObjectName(QStringLiteral("rbAusgewaehlt"));
    rbAusgewaehlt_->setEnabled(selected > 0);
    rbBeste_ = new QRadioButton(QStringLiteral("Die besten je fehlendem Kreis (%1 %2):")
                                    .arg(wantedDistricts)
                                    .arg(wantedDistricts == 1 ? QStringLiteral("Kreis") : QStringLiteral("Kreise")),
                                this);
    rbBeste_->setObjectName(QStringLiteral("rbBeste"));
    spinAnzahl_ = new QSpinBox(this);
    spinAnzahl_->setObjectName(QStringLiteral("spinAnzahl"));
    spinAnzahl_->setRange(1, 50);
    spinAnzahl_->setValue(1);
    spinAnzahl_->setSuffix(QStringLiteral(" je Kreis"));
    (selected > 0 ? rbAusgewaehlt_ : rbBeste_)->setChecked(true);
    spinAnzahl_->setEnabled(rbBeste_->isChecked());
    connect(rbBeste_, &QRadioButton::toggled, spinAnzahl_, &QSpinBox::setEnabled);

    auto* note = new QLabel(QStringLiteral("Caches aus Pocket Queries behalten ihre vollständige Beschreibung.\n"
                                           "Die Datei ist GPX 1.0 für GPS-Geräte und Apps."),
                            this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Exportieren..."));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* best = new QHBoxLayout;
    best->addWidget(rbBeste_);
    best->addWidget(spinAnzahl_);
    best->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rbAusgewaehlt_);
    layout->addLayout(best);
    layout->addSpacing(6);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

bool CandidateExportDialog::selectedOnly() const
{
    return rbAusgewaehlt_->isChecked();
}

int CandidateExportDialog::perDistrict() const
{
    return spinAnzahl_->value();
}

}  // namespace ql::ui
