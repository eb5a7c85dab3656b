#include "ui/common/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include <string>
#include <string_view>

#include "base/user_error.h"
#include "platform/platform.h"

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
