#pragma once
// The web window: nip.html, the caches of the last scan that lie in no
// district polygon, rebuilt and shown in the window's view (NipView.h).

#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QPushButton;
class QWindow;

namespace ql { struct AppState; }

namespace ql::ui {

class NipView;

class TfrmWeb : public QWidget {
    Q_OBJECT
public:
    explicit TfrmWeb(AppState& state, QWidget* parent = nullptr);

    void FormCreate();
    // Rebuilds the page; runs when the window is shown and when the user
    // switches to it from another window of the program.
    void FormActivate();
    // Builds nip.html from the last scan, writes it and shows it. An error in
    // writing stops before the view navigates, so it keeps what it showed.
    void NIPCACHE2HTML();
    void btnWBBackClick();

    const std::vector<std::string>& PageList() const { return PageList_; }
    const QString& PageAddress() const { return PageAddress_; }
    NipView* browser() const { return WebBrowser1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void focusWindowChanged(QWindow* now);
    void updateBackButton();

    AppState& state_;
    std::vector<std::string> PageList_;
    QString PageAddress_;
    NipView* WebBrowser1_ = nullptr;
    QPushButton* btnWBBack_ = nullptr;

    // The program's window that had the focus before the current one; null
    // while another application has it.
    QPointer<QWindow> previousFocus_;
    bool shownPending_ = false;  // shown, not yet activated
};

}  // namespace ql::ui
