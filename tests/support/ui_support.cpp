#include "support/ui_support.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>
#include <QtTest/QTest>

#include "ui/main/TfrmMain.h"

#include <cstdlib>
#include <filesystem>

namespace ql::test {

ModalAnswerer::ModalAnswerer(Handler onModal) : onModal_(std::move(onModal)), timer_(new QTimer)
{
    QObject::connect(timer_, &QTimer::timeout, [this] { poll(); });
    timer_->start(20);
}

ModalAnswerer::~ModalAnswerer()
{
    delete timer_;
}

void ModalAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen_.append(box->objectName() + "|" + box->windowTitle() + "|" + box->text());
        if (onModal_ && onModal_(modal)) return;
        box->done(QMessageBox::Ok);
        return;
    }
    if (onModal_ && onModal_(modal)) return;
    seen_.append(modal->objectName());
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
    else modal->close();
}

namespace {
class AbsentRegistry : public platform::RegistryReader {
public:
    bool OpenKey(const std::string&) override { return false; }
    std::optional<std::string> ReadString(const std::string&) override { return std::nullopt; }
    void CloseKey() override {}
};
}  // namespace

std::unique_ptr<platform::RegistryReader> NoRegistry()
{
    return std::make_unique<AbsentRegistry>();
}

UiFixture::UiFixture(bool copyShipped)
{
    state.ProgramDir = QDir(programDir.path()).absolutePath().toStdString() + "/";
    state.TempDir = QDir(tempDir.path()).absolutePath().toStdString() + "/";
    if (copyShipped) {
        namespace fs = std::filesystem;
        const fs::path shipped = QL_RUNTIME_DIR;
        for (const char* item : {"rlp_polygons", "rlp.css", "Historie.txt", "hilfe"}) {
            std::error_code ec;
            fs::copy(shipped / item, fs::path(state.ProgramDir) / item, fs::copy_options::recursive, ec);
        }
    }
}

UiFixture::~UiFixture()
{
    windows.reset();
}

void UiFixture::createWindows()
{
    windows = ui::CreateWindows(state, *registry);
}

QString WriteFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

QImage SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = QStringLiteral(QL_RUNTIME_DIR "/../screenshots");
    QDir().mkpath(dir);
    const QImage shot = widget->grab().toImage();
    if (!shot.save(dir + "/" + name + ".png")) return {};
    return shot;
}

QRect AreaOf(const QImage& shot, const QWidget* window, const QWidget* child)
{
    const double scale = shot.width() / double(window->width());
    const QRect area(child->mapTo(window, QPoint(0, 0)), child->size());
    return QRect(int(area.x() * scale), int(area.y() * scale), int(area.width() * scale), int(area.height() * scale))
        .intersected(shot.rect());
}

bool HasColour(const QImage& shot, const QRect& area, const QColor& colour, int tolerance)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

void WaitUntilIdle(ui::TfrmMain* main)
{
    // No step takes longer than this in a test; a hung one fails the test.
    if (!QTest::qWaitFor([main] { return !main->busy(); }, 600000)) ADD_FAILURE() << "the step did not end";
}

void OpenAndWait(ui::TfrmMain* main, const QString& path)
{
    main->FileOpen1Accept(path);
    WaitUntilIdle(main);
}

}  // namespace ql::test
