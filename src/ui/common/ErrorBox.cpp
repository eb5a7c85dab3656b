#include "ui/common/ErrorBox.h"

#include <QMessageBox>

namespace ql::ui {

QString ErrorBoxText(const std::string& message)
{
    QString text = QString::fromStdString(message);
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
    return text;
}

QStringList& ErrorBoxHistory()
{
    static QStringList history;
    return history;
}

void ShowErrorBox(QWidget* parent, const std::string& message)
{
    const QString text = ErrorBoxText(message);
    ErrorBoxHistory().append(text);
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.setTextFormat(Qt::PlainText);  // a message may quote a text from a file
    box.exec();
}

}  // namespace ql::ui
