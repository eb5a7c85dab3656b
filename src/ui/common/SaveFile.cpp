#include "ui/common/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <string>

#include "base/user_error.h"

namespace ql::ui {

QString FilterSuffix(const QString& filter)
{
    // "Text (*.txt)": one pattern "*.ext" between the brackets.
    const qsizetype open = filter.lastIndexOf(QStringLiteral("(*."));
    const qsizetype close = filter.indexOf(QLatin1Char(')'), open);
    if (open < 0 || close < 0) return {};
    const QString suffix = filter.mid(open + 3, close - open - 3);
    return suffix.contains(QLatin1Char(' ')) || suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}

QString SaveDialogPath(QWidget* parent, const char* name, const QString& caption, const QString& filters,
                       const QString& suffix, const QString& suggested)
{
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filterList = filters.split(QStringLiteral(";;"));
    dialog.setNameFilters(filterList);
    dialog.setDefaultSuffix(suffix);
    // The filter that matches the suggested name, and a name that follows the filter chosen.
    for (const QString& filter : filterList)
        if (FilterSuffix(filter) == suffix) dialog.selectNameFilter(filter);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const QString wanted = FilterSuffix(filter);
        if (wanted.isEmpty()) return;
        dialog.setDefaultSuffix(wanted);
        const QStringList typed = dialog.selectedFiles();
        const QString name = typed.isEmpty() ? QString() : QFileInfo(typed.first()).fileName();
        if (name.isEmpty()) return;
        const QString stem = QFileInfo(name).suffix().isEmpty() ? name : QFileInfo(name).completeBaseName();
        dialog.selectFile(stem + QLatin1Char('.') + wanted);
    });
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
