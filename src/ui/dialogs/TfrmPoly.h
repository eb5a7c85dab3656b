#pragma once
// The polygon loader: reads the 36 district files into the polygon table on
// its first activation, logs each file in colour, then closes itself after a
// ten-second countdown on its OK button.

#include <QColor>
#include <QDialog>
#include <QString>

class QGroupBox;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;

namespace ql { struct AppState; }

namespace ql::ui {

class TfrmPoly : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPoly(AppState& state, QWidget* parent = nullptr);
    ~TfrmPoly() override;

    // Captions, an empty log, 36 empty polygons.
    void FormCreate();
    // Each activation: the loading run while it has not completed, then the countdown.
    void FormActivate();
    void tmrCloseTimer();
    void bbtnOKClick();
    // However the window closes.
    void FormClose();

    // Appends text at the very end of the log in the colour; later text is
    // back in the log's own colour.
    void LogColoured(const QString& text, const QColor& colour);

    bool LoaderRunPending() const { return loaderRunPending_; }
    // The next showing reads every file again ("Kreisgrenzen neu laden").
    void RequestRun() { loaderRunPending_ = true; }
    int PolyIndex() const { return polyIndex_; }
    int CloseCountdown() const { return closeCountdown_; }
    bool isLoading() const { return loading_; }

    // Tests shorten the pause per file and the countdown tick.
    void setTimingForTests(int pauseMs, int tickMs);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

public slots:
    void done(int result) override;

private:
    void buildControls();
    void loadingRun();
    // What the loader shows of one district file before it is read.
    void fileSteps(int district, const std::string& path);
    void addLine(const QString& text);
    void endLine();
    void pause(int ms);

    AppState& state_;

    // Loader state.
    bool loaderRunPending_ = true;
    QObject* escapeFilter_ = nullptr;  // Escape does nothing, but after a failed run
    int polyIndex_ = 0;
    int closeCountdown_ = 10;

    bool loading_ = false;
    bool centred_ = false;
    int pauseMs_ = 100;

    QProgressBar* pbarPoly_ = nullptr;
    QGroupBox* GroupBox1_ = nullptr;
    QTextEdit* rtfPoly_ = nullptr;
    QPushButton* bbtnOK_ = nullptr;
    QTimer* tmrClose_ = nullptr;
};

}  // namespace ql::ui
