#include "support/ui_support.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

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

QString SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = QStringLiteral(QL_RUNTIME_DIR "/../screenshots");
    QDir().mkpath(dir);
    const QString path = dir + "/" + name + ".png";
    widget->grab().save(path);
    return path;
}

}  // namespace ql::test
