#include "ui/common/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

#include <string>

#include "base/user_error.h"

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
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) ThrowNotWritten(path, file.errorString());
    if (file.write(bytes) != bytes.size()) ThrowNotWritten(path, file.errorString());
}

}  // namespace ql::ui
