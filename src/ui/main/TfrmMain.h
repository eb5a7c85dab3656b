#pragma once
// The main window: query name and date, counts, the result list, the cut-off
// switch, and the commands that lead to the other windows.

#include <QElapsedTimer>
#include <QMainWindow>

#include <exception>
#include <memory>
#include <string>
#include <vector>

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
class QTimer;

namespace ql {
struct AppState;
class PlacemarkFilesBeside;
class QueryText;
struct QueryScan;
}  // namespace ql

namespace ql::ui {

class CacheListModel;
class Placement;
class StepBeside;
struct OpenProgress;
struct Windows;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    TfrmMain(AppState& state, platform::RegistryReader& registry, Windows& windows);
    ~TfrmMain() override;

    // Caption, labels, list columns; then the polygon folder and the shared state.
    void FormCreate();

    // The query pipeline. Reading, extracting and scanning run beside the
    // window (busy() meanwhile); their results reach the window when done.
    void FileOpen1Execute();                         // the open command (Ctrl+O)
    void FileOpen1BeforeExecute(QFileDialog& dialog);
    void FileOpen1Accept(const QString& fileName);   // a file chosen in the dialog
    void btnExtrDatenClick();                        // the analysis run
    void cboxStichtagClick();                        // the cut-off re-scan
    void btnExtrZipClick();                          // a ZIP archive chosen

    // Whether a step (reading, extracting, scanning) runs beside the window.
    bool busy() const;
    // Stops the running step: the previous query and its results stay as
    // they were (button "Abbrechen", Escape).
    void btnAbbrechenClick();
    // Writes a placemark file of the last scan now when it is still due
    // (a link followed before the writer got to it).
    void EnsurePlacemarkFile(const std::string& path);
    // Waits for the placemark files of the last scan; throws a write's error.
    void waitForPlacemarkFiles();

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
    // A step beside the window ended, was stopped or failed.
    void stepEnded();
    // A step started: reading the query (false) or scanning it (true).
    void stepStarted(bool scanning);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing the main window ends the program: every other window closes too.
    void closeEvent(QCloseEvent* event) override;
    // A .zip or .gpx file dropped on the window opens as if chosen in the dialog.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void buildStepControls();
    void showCounts(int rows);

    // Steps beside the window.
    enum class StepKind { Load, Scan };
    void beginStep(StepKind kind);
    void endStep();
    void showStepProgress();
    void hideStepProgress();
    void startLoad(bool zip);
    // The analysis over the lines just loaded (or, without them, the loaded ones).
    void analyse();
    void startScan(bool rescan);
    void scanDone(const QueryScan& scan, std::exception_ptr failure, bool rescan);
    void takeIncoming();
    // Makes the placemark files of the scan just taken over beside the window.
    void startPlacemarkFiles(std::vector<std::string> stale);
    void stopPlacemarkFiles();

    // What the window showed before an open, given back when it is stopped.
    struct Before {
        std::string queryFileName;
        QString fileLabel, dateLabel, readyLabel;
        bool readyShown = false;
        int gauge = 0;
        bool cutoff = true;
    };
    Before before_;

    StepBeside* step_ = nullptr;
    bool stepActive_ = false;
    bool stepIsOpen_ = false;  // an open (else a re-scan of the loaded lines)
    bool stepIsZip_ = false;
    StepKind stepKind_ = StepKind::Load;
    QTimer* progressTimer_ = nullptr;
    QElapsedTimer stepClock_;
    std::shared_ptr<OpenProgress> openProgress_;
    bool gaugeStarted_ = false;
    std::unique_ptr<QueryText> incoming_;  // lines read, not yet the query's
    std::unique_ptr<AppState> scanned_;  // the results of the running scan
    std::unique_ptr<PlacemarkFilesBeside> placemarkFiles_;
    QLabel* lblStep_ = nullptr;
    QProgressBar* pbStep_ = nullptr;
    QPushButton* btnAbbrechen_ = nullptr;

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
