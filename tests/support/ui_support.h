#pragma once
// Helpers for the window tests: answering modal boxes, a temporary program
// folder, the windows of one test.

#include <QDir>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "state/app_state.h"
#include "platform/platform.h"
#include "ui/common/Windows.h"

namespace ql::ui {
class TfrmMain;
}

namespace ql::test {

// Handles events until the main window's step beside it (reading, scanning)
// has ended, and the boxes it showed are closed.
void WaitUntilIdle(ui::TfrmMain* main);
// Opens a file as if chosen in the dialog and waits for its end.
void OpenAndWait(ui::TfrmMain* main, const QString& path);

// While alive, closes every modal window that opens, after letting `onModal`
// look at it (and act on it, for instance click a button). Records each box:
// "<objectName or class>|<title>|<text>".
class ModalAnswerer {
public:
    using Handler = std::function<bool(QWidget* modal)>;  // true: handled (closed) by the handler
    explicit ModalAnswerer(Handler onModal = {});
    ~ModalAnswerer();

    const QStringList& seen() const { return seen_; }

private:
    void poll();
    Handler onModal_;
    QStringList seen_;
    QTimer* timer_;
};

// A registry without the GSAK key.
std::unique_ptr<platform::RegistryReader> NoRegistry();

// Program and temporary folders of one test, with the shipped data copied in
// (polygons, stylesheet, history text), and the windows created on them.
struct UiFixture {
    QTemporaryDir programDir;
    QTemporaryDir tempDir;
    AppState state;
    std::unique_ptr<platform::RegistryReader> registry = NoRegistry();
    std::unique_ptr<ui::Windows> windows;

    // copyShipped: copy the shipped data of the build tree into the program folder.
    explicit UiFixture(bool copyShipped = true);
    ~UiFixture();
    void createWindows();
};

// A path in the system's own form (backslashes on Windows), as the windows show it.
inline QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Writes a file (bytes as given) and returns its path.
QString WriteFile(const QString& path, const std::string& bytes);

// Saves a screenshot of a widget as build/screenshots/<name>.png and returns
// the picture, so the test can check what it shows.
QImage SaveScreenshot(QWidget* widget, const QString& name);

// The area of a child widget inside a screenshot of `window`.
QRect AreaOf(const QImage& shot, const QWidget* window, const QWidget* child);

// True when some pixel of the area is within `tolerance` of the colour in each
// of red, green and blue (text is drawn with smoothed edges).
bool HasColour(const QImage& shot, const QRect& area, const QColor& colour, int tolerance = 40);

}  // namespace ql::test

// Readable QString values in test failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
