#include "ui/common/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QImageWriter>

#include <string>
#include <string_view>

#include "base/user_error.h"
#include "platform/platform.h"

namespace ql::ui {

QString SaveDialogPath(QWidget* parent, const char* name, const QString& caption, const QString& filters,
                       const QString& suffix, const QString& suggested)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(suffix);
    if (!suggested.isEmpty()) dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void ThrowNotWritten(const QString& path, const QString& reason)
{
    std::string message = "Datei \"" + QDir::toNativeSeparators(path).toStdString() + "\" kann nicht erstellt werden.";
    if (!reason.isEmpty()) message += " " + reason.toStdString();
    throw UserError(message);
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    platform::WriteFileAtomically(QDir::toNativeSeparators(path).toStdString(),
                                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void WritePng(const QString& path, const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image)) ThrowNotWritten(path, writer.errorString());
    WriteBytes(path, bytes);
}

}  // namespace ql::ui
