// The web window's view without an embedded browser: the page file in a
// QTextBrowser. Local pages open inside it (with the back navigation), a
// placemark file goes to the desktop's handler for KML, and every other
// address (listing, map) to the user's web browser.

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <string>

#include "platform/platform.h"
#include "ui/dialogs/NipView.h"

namespace ql::ui {

namespace {

// A page names its character set in its head or is read in the ANSI code
// page, as a browser on a German Windows reads it.
QString DecodePage(const QByteArray& bytes)
{
    const QByteArray head = bytes.left(1024).toLower();
    if (bytes.startsWith("\xEF\xBB\xBF") || head.contains("charset=utf-8") || head.contains("charset=\"utf-8\""))
        return QString::fromUtf8(bytes);
    return QString::fromStdString(platform::AnsiToUtf8(std::string_view(bytes.constData(), bytes.size())));
}

class PageBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    bool lastLoadOk = false;
    // The link as the page wrote it, for the click being handled.
    QString clickedHref;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        clickedHref = anchorAt(event->position().toPoint());
        QTextBrowser::mouseReleaseEvent(event);
        clickedHref.clear();
    }

    QVariant loadResource(int type, const QUrl& name) override
    {
        if (type != QTextDocument::HtmlResource) return QTextBrowser::loadResource(type, name);
        QFile file(name.toLocalFile());
        lastLoadOk = name.isLocalFile() && file.open(QIODevice::ReadOnly);
        if (!lastLoadOk) return QString();
        return DecodePage(file.readAll());
    }
};

class TextView : public NipView {
public:
    explicit TextView(QWidget* parent) : NipView(parent), view_(new PageBrowser(this))
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
        view_->setOpenLinks(false);
        connect(view_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) { follow(link); });
        connect(view_, &QTextBrowser::historyChanged, this, &NipView::historyChanged);
    }

    void load(const QUrl& url) override
    {
        if (view_->source() == url) view_->reload();
        else view_->setSource(url, QTextDocument::HtmlResource);
        emit loadFinished(view_->lastLoadOk);
    }
    void back() override
    {
        if (!view_->isBackwardAvailable()) return;
        view_->backward();
        emit loadFinished(view_->lastLoadOk);
    }
    bool canGoBack() const override { return view_->isBackwardAvailable(); }
    QUrl url() const override { return view_->source(); }
    QString title() const override { return view_->documentTitle(); }
    QWidget* content() const override { return view_; }

private:
    void follow(const QUrl& link)
    {
        const QString placemark = LocalFileOfLink(view_->clickedHref);
        if (!placemark.isEmpty()) {
            if (placemark.endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive)) openPlacemark(placemark);
            else load(QUrl::fromLocalFile(placemark));
            return;
        }
        const QUrl url = view_->source().resolved(link);
        if (url.isLocalFile()) {
            if (url.path().endsWith(QStringLiteral(".kml"), Qt::CaseInsensitive))
                openPlacemark(QDir::toNativeSeparators(url.toLocalFile()));
            else load(url);
            return;
        }
        // Listings and maps: the simple view shows no web pages.
        platform::ShellOpen(url.toString(QUrl::FullyEncoded).toStdString());
    }

    PageBrowser* view_;
};

}  // namespace

NipView* MakeNipView(QWidget* parent)
{
    return new TextView(parent);
}

}  // namespace ql::ui
