#pragma once
// The view inside the web window. Builds with Qt WebEngine show the page in
// the embedded browser; builds without it (MinGW, or configured with
// QL_WEBENGINE=OFF) show the same file in a QTextBrowser. Both hand a
// placemark file to the desktop instead of showing it as text.

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <string>

namespace ql::ui {

class NipView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Shows the page at `url`; loads it again when it is the page shown.
    virtual void load(const QUrl& url) = 0;
    virtual void back() = 0;
    virtual bool canGoBack() const = 0;
    virtual QUrl url() const = 0;
    virtual QString title() const = 0;
    // The widget that draws the page (QWebEngineView or QTextBrowser).
    virtual QWidget* content() const = 0;

    // Runs before a placemark file goes to the desktop, with its path: the
    // file may still be due to be written.
    void setPlacemarkPreparer(std::function<void(const std::string& path)> prepare) { prepare_ = std::move(prepare); }
    // Hands a placemark file (in the system's form) to the desktop, made first
    // when it is still due; an error in making it shows in the error box.
    void openPlacemark(const QString& path);

signals:
    // A page was shown (true) or could not be loaded (false).
    void loadFinished(bool ok);
    // The pages behind the current one changed.
    void historyChanged();

private:
    std::function<void(const std::string& path)> prepare_;
};

// The view this build has.
NipView* MakeNipView(QWidget* parent);

// The local file a link of the page names, in the system's form; empty for
// another address. The page links placemark files as "file://" followed by
// the folder as the system writes it: "file:///tmp/x.kml" on POSIX,
// "file://C:\Temp\x.kml" on Windows, which no URL parser reads as a drive.
QString LocalFileOfLink(const QString& href);

}  // namespace ql::ui
