#pragma once
// The overview window's save dialogs and the error of a file not written.

#include <QString>

class QImage;
class QWidget;

namespace ql::ui {

// "txt" of the filter "Text (*.txt)"; empty for a filter of several patterns.
QString FilterSuffix(const QString& filter);

// The path chosen in a save dialog (Qt's own, named for tests), empty when
// cancelled. suggested is the file name offered first, under the filter of
// its suffix; choosing another filter gives the name that filter's suffix.
QString SaveDialogPath(QWidget* parent, const char* name, const QString& caption, const QString& filters,
                       const QString& suffix, const QString& suggested = {});

// Throws "Datei "%s" kann nicht erstellt werden." with the reason after it.
[[noreturn]] void ThrowNotWritten(const QString& path, const QString& reason);

// Writes bytes to path whole through platform::WriteFileAtomically: on any
// failure the file at path stays as it was and the error above names it.
void WriteBytes(const QString& path, const QByteArray& bytes);

// The picture as a PNG file, encoded in memory first and then written as
// WriteBytes writes.
void WritePng(const QString& path, const QImage& image);

}  // namespace ql::ui
