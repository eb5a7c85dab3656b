#pragma once
// "Als GPX exportieren": the selected candidates, or the best N of every
// district still wanted (N = 1 unless chosen otherwise).

#include <QDialog>

class QRadioButton;
class QSpinBox;
class QLabel;

namespace ql::ui {

class CandidateExportDialog : public QDialog {
    Q_OBJECT
public:
    // `selected`: how many candidates the table has selected (0 disables that choice).
    CandidateExportDialog(int selected, int wantedDistricts, QWidget* parent = nullptr);

    bool selectedOnly() const;
    int perDistrict() const;

    QRadioButton* selectedButton() const { return rbAusgewaehlt_; }
    QRadioButton* bestButton() const { return rbBeste_; }
    QSpinBox* countBox() const { return spinAnzahl_; }

private:
    QRadioButton* rbAusgewaehlt_ = nullptr;
    QRadioButton* rbBeste_ = nullptr;
    QSpinBox* spinAnzahl_ = nullptr;
};

}  // namespace ql::ui
