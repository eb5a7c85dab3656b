// The web window's view in Qt WebEngine: listings and maps open inside it.

#include <QDir>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "platform/platform.h"
#include "ui/dialogs/NipView.h"

namespace ql::ui {

namespace {

bool IsPlacemarkAddress(const QUrl& url)
{
    return url.isLocalFile() && url.path().endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive);
}

// Opens listings, maps and pages inside the view; a placemark file goes to the
// desktop's handler for KML (a globe or map program) instead of showing as text.
class NipPage : public QWebEnginePage {
public:
    NipPage(NipView* owner, QObject* parent) : QWebEnginePage(parent), owner_(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame && IsPlacemarkAddress(url)) {
            owner_->openPlacemark(QDir::toNativeSeparators(url.toLocalFile()));
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

private:
    NipView* owner_;
};

class EngineView : public NipView {
public:
    explicit EngineView(QWidget* parent) : NipView(parent), view_(new QWebEngineView(this))
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
        view_->setPage(new NipPage(this, view_));
        connect(view_, &QWebEngineView::loadFinished, this, &NipView::loadFinished);
        connect(view_, &QWebEngineView::loadFinished, this, &NipView::historyChanged);
        connect(view_, &QWebEngineView::urlChanged, this, &NipView::historyChanged);
    }

    void load(const QUrl& url) override { view_->load(url); }
    void back() override { view_->back(); }
    bool canGoBack() const override { return view_->history()->canGoBack(); }
    QUrl url() const override { return view_->url(); }
    QString title() const override { return view_->title(); }
    QWidget* content() const override { return view_; }

private:
    QWebEngineView* view_;
};

}  // namespace

NipView* MakeNipView(QWidget* parent)
{
    return new EngineView(parent);
}

}  // namespace ql::ui
