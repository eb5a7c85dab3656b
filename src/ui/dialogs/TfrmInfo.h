#pragma once
// The information window: program name and version, the maker's web site,
// the operating system and memory figures, and the history text.

#include <QDialog>

class QLabel;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInfo(AppState& state, QWidget* parent = nullptr);
    ~TfrmInfo() override;

    // Once at start-up: the button caption, then the history text from the
    // program folder (an error leaves the design line "rtfHistorie").
    void FormCreate();
    // At each showing: memory, version and system figures, first page.
    void FormActivate();

    void BitBtnOKClick();
    void BitBtnSysClick();
    void shellExecClick();
    // Reports a shell result of 32 or below in the "Fataler Dateifehler !" box.
    void ShellErrorMessage(int code);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();

    AppState& state_;
    QTabWidget* PageControl2_ = nullptr;
    QWidget* tbAllgemeines_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QToolButton* sbtnCopyright_ = nullptr;
    QLabel* lblOS_ = nullptr;
    QLabel* lblMemory_ = nullptr;
    QLabel* lblMemoryAvail_ = nullptr;
    QLabel* lblPageMemory_ = nullptr;
    QLabel* lblPageMemoryAvail_ = nullptr;
    QTextEdit* rtfHistorie_ = nullptr;
    QPushButton* BitBtnSys_ = nullptr;
    QPushButton* BitBtnOK_ = nullptr;
};

}  // namespace ql::ui
