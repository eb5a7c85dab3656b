#pragma once
// The main window: query name and date, counts, the result list, the cut-off
// switch, and the commands that lead to the other windows.

#include <QMainWindow>

#include "platform/platform.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTabWidget;
class QToolButton;

namespace ql { struct AppState; }

namespace ql::ui {

class CacheListModel;
class Placement;
struct Windows;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(AppState& state, platform::RegistryReader& registry, Windows& windows);
    ~TfrmMain() override;

    // Caption, labels, list columns; then the polygon folder and the shared state.
    void FormCreate();

    // The query pipeline.
    void FileOpen1Execute();                         // the open command (Ctrl+O)
    void FileOpen1BeforeExecute(QFileDialog& dialog);
    void FileOpen1Accept(const QString& fileName);   // a file chosen in the dialog
    void btnExtrDatenClick();                        // the analysis run
    void cboxStichtagClick();                        // the cut-off re-scan
    void btnExtrZipClick();                          // a ZIP archive chosen

    // Presentation and navigation.
    void SpeedButton1Click();
    void lblWebNIPClick();
    void bbtnCheckRLPClick();
    void CheckActionExecute();
    void mnuHilfeClick();
    void mnuInfoClick();
    void mnuUebersichtClick();  // the district overview (Ctrl+K)
    void mnuKreisgrenzenClick();  // "Kreisgrenzen neu laden": the loader again, then a new scan
    // The status line says whether the district boundaries are missing, and why.
    void showBoundaryState();
    void mnuSuchlisteClick();  // the overview, then its candidate lists' open dialog

signals:
    // After every scan, also one that ended with an error.
    void scanFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing the main window ends the program: every other window closes too.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void showCounts(int rows);

    AppState& state_;
    platform::RegistryReader& registry_;
    Windows& windows_;
    Placement* placement_ = nullptr;
    bool centred_ = false;

    QLabel* lblDateiname_ = nullptr;
    QLabel* lblQueryDatum_ = nullptr;
    QLabel* lblAnzahlCache_ = nullptr;
    QLabel* lblWebNIP_ = nullptr;
    QLabel* lblAnzahlNIP_ = nullptr;
    QLabel* lblReady_ = nullptr;
    QProgressBar* pbProgress_ = nullptr;
    QTabWidget* PageControl1_ = nullptr;
    QTableView* ListView1_ = nullptr;
    CacheListModel* listModel_ = nullptr;
    QPushButton* bbtnOpen_ = nullptr;
    QPushButton* bbtnCheckRLP_ = nullptr;
    QPushButton* bbtnExit_ = nullptr;
    QToolButton* SpeedButton1_ = nullptr;
    QCheckBox* cboxStichtag_ = nullptr;

    QAction* FileOpen1_ = nullptr;
    QAction* CheckAction_ = nullptr;
    QAction* FileExit1_ = nullptr;
    QAction* mnuHilfe_ = nullptr;
    QAction* mnuInfo_ = nullptr;
    QAction* mnuUebersicht_ = nullptr;
    QAction* mnuKreisgrenzen_ = nullptr;
    QAction* mnuSuchliste_ = nullptr;
};

}  // namespace ql::ui
