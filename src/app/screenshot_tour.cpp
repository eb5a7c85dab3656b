#include "screenshot_tour.h"

#include <QApplication>
#include <QEventLoop>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "state/app_state.h"
#include "ui/common/ErrorBox.h"
#include "ui/dialogs/TfrmInfo.h"
#include "ui/main/TfrmMain.h"
#include "ui/overview/TfrmOverview.h"
#include "ui/dialogs/TfrmWeb.h"
#include "ui/common/Windows.h"

namespace ql::ui {

namespace {

// Time a window gets to paint before it is photographed.
constexpr int SettleMs = 1500;
constexpr int PollMs = 250;

// File names of the pictures, by window.
QString ShotName(const QWidget* w)
{
    const QString name = w->objectName();
    if (name == QLatin1String("frmMain")) return QStringLiteral("main_window");
    if (name == QLatin1String("frmLK")) return QStringLiteral("tally_window");
    if (name == QLatin1String("frmFK")) return QStringLiteral("final_window");
    if (name == QLatin1String("frmInfo")) return QStringLiteral("info_window");
    if (name == QLatin1String("frmPoly")) return QStringLiteral("loader_window");
    if (name == QLatin1String("frmWeb")) return QStringLiteral("web_window");
    if (name == QLatin1String("frmOverview")) return QStringLiteral("overview");
    if (name == QLatin1String("ErrorBox")) return QStringLiteral("error_box");
    if (name.isEmpty()) return QStringLiteral("window");
    return name;
}

bool Uniform(const QImage& image)
{
    if (image.isNull()) return true;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 5)
        for (int x = 0; x < image.width(); x += 5)
            if (image.pixel(x, y) != first) return false;
    return true;
}

class Tour : public QObject {
public:
    Tour(Windows& windows, AppState& state, const QString& folder)
            : QObject(windows.frmMain.get()), windows_(windows), state_(state), dir_(folder)
    {
        dir_.mkpath(QStringLiteral("."));
        report_.setFileName(dir_.filePath(QStringLiteral("tour.txt")));
        report_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
        // Modal windows are photographed and closed from here while their own
        // loop runs; the loader closes itself after its countdown.
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this] { pollModal(); });
        poll->start(PollMs);
    }

    void add(std::function<void()> step) { steps_.push_back(std::move(step)); }

    void next()
    {
        if (steps_.empty()) return;
        auto step = std::move(steps_.front());
        steps_.erase(steps_.begin());
        // A window shown without blocking is photographed SettleMs after its
        // step; the next step waits for that.
        QTimer::singleShot(2 * SettleMs, this, [this, step = std::move(step)] {
            step();
            next();
        });
    }

    // A picture of the window's client area as the screen shows it.
    void shoot(QWidget* w)
    {
        const QRect g = w->geometry();  // without a window manager no frame is drawn
        QPixmap picture = w->screen()->grabWindow(0, g.x(), g.y(), g.width(), g.height());
        // A desktop that cannot be read back gives one colour: the window's
        // own drawing then.
        const bool fromScreen = !Uniform(picture.toImage());
        if (!fromScreen) picture = w->grab();
        QString name = ShotName(w);
        if (shot_.contains(name)) name += QString::number(shot_.count(name) + 1);
        shot_.append(ShotName(w));
        const QString file = dir_.filePath(name + QStringLiteral(".png"));
        const bool saved = picture.save(file);
        line(QStringLiteral("Shot=%1 %2x%3 %4%5")
                 .arg(name)
                 .arg(picture.width())
                 .arg(picture.height())
                 .arg(fromScreen ? QStringLiteral("screen") : QStringLiteral("window"))
                 .arg(saved ? QString() : QStringLiteral(" (not saved)")));
    }

    void line(const QString& text)
    {
        QTextStream(&report_) << text << '\n';
        report_.flush();
    }

    // Shows a window that does not block, photographs it once it has painted,
    // and closes it again.
    void shootModeless(QWidget* w, const std::function<void()>& open)
    {
        open();
        QTimer::singleShot(SettleMs, this, [this, w = QPointer<QWidget>(w)] {
            if (!w) return;
            shoot(w);
            w->close();
        });
    }

    Windows& windows_;
    AppState& state_;

private:
    void pollModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != current_) {
            current_ = modal;
            polls_ = 0;
            return;
        }
        if (!modal || ++polls_ * PollMs < SettleMs) return;
        current_ = nullptr;
        if (qobject_cast<QFileDialog*>(modal)) return;  // photographed and closed by its own step
        if (modal->objectName() == QLatin1String("frmInfo")) {
            if (auto* version = modal->findChild<QLabel*>(QStringLiteral("lblVersion")))
                line(QStringLiteral("Version=") + version->text());
            if (auto* os = modal->findChild<QLabel*>(QStringLiteral("lblOS"))) line(QStringLiteral("OS=") + os->text());
        }
        if (modal->objectName() == QLatin1String("frmPoly")) {
            if (!shot_.contains(ShotName(modal))) shoot(modal);
            return;  // closes itself
        }
        shoot(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(0);
        else modal->close();
    }

public:
    // The open dialog as the open command prepares it, with "Alle Dateien"
    // chosen: the system's own where the platform has one, photographed from
    // the whole screen (a native dialog is no widget of ours) and closed.
    void shootOpenDialog(TfrmMain* main)
    {
        QFileDialog dialog(main);
        dialog.setObjectName(QStringLiteral("OpenDialog"));
        dialog.setWindowTitle(QStringLiteral("Query-Datei öffnen"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        main->FileOpen1BeforeExecute(dialog);
        dialog.selectNameFilter(dialog.nameFilters().constLast());
        QTimer::singleShot(2 * SettleMs, &dialog, [this, &dialog] {
            // Qt builds the widgets of its own dialog only when no native one shows.
            const bool native = dialog.findChild<QListView*>() == nullptr;
            line(QStringLiteral("OpenDialog=") + (native ? QStringLiteral("native") : QStringLiteral("qt")));
            const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
            const bool saved = screen.save(dir_.filePath(QStringLiteral("open_dialog.png")));
            line(QStringLiteral("Shot=open_dialog %1x%2 screen%3")
                     .arg(screen.width())
                     .arg(screen.height())
                     .arg(saved ? QString() : QStringLiteral(" (not saved)")));
            dialog.reject();
        });
        dialog.exec();
    }

private:
    QDir dir_;
    QFile report_;
    std::vector<std::function<void()>> steps_;
    QStringList shot_;
    QPointer<QWidget> current_;
    int polls_ = 0;
};

}  // namespace

void StartScreenshotTour(Windows& windows, AppState& state, const QString& folder, const QString& query)
{
    auto* tour = new Tour(windows, state, folder);
    TfrmMain* main = windows.frmMain.get();
    tour->add([tour, main, query] {
        tour->line(QStringLiteral("Query=") + query);
        main->FileOpen1Accept(query);
        // The reading and the scan run beside the window: their end is awaited.
        if (main->busy()) {
            QEventLoop wait;
            QObject::connect(main, &TfrmMain::stepEnded, &wait, &QEventLoop::quit);
            wait.exec();
        }
        tour->line(QStringLiteral("PolygonDir=") + QString::fromStdString(tour->state_.PolygonDir));
        tour->line(QStringLiteral("Rows=%1").arg(tour->state_.Rows.size()));
        tour->line(QStringLiteral("NotInPolygon=%1").arg(tour->state_.NotInPolygonCount));
    });
    tour->add([tour, main] { tour->shoot(main); });
    tour->add([main] { main->bbtnCheckRLPClick(); });
    tour->add([main] { main->mnuInfoClick(); });
    tour->add([tour, main] {
        main->mnuUebersichtClick();  // made on first opening
        tour->shootModeless(tour->windows_.frmOverview.get(), [] {});
    });
    tour->add([tour, main] { tour->shootModeless(tour->windows_.frmWeb.get(), [main] { main->lblWebNIPClick(); }); });
    tour->add([tour, main] { tour->shootOpenDialog(main); });
    tour->add([tour, main] {
        for (const QString& error : ErrorBoxHistory()) tour->line(QStringLiteral("Error=") + error);
        tour->line(QStringLiteral("Done"));
        main->close();
    });
    tour->next();
}

}  // namespace ql::ui
