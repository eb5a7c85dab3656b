#include "ui/common/Controls.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ui/common/Icons.h"
#include "ui/common/Placement.h"

namespace ql::ui {

namespace {

class EscapeFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

QObject* KeepOpenOnEscape(QDialog* dialog)
{
    auto* filter = new EscapeFilter(dialog);
    dialog->installEventFilter(filter);
    return filter;
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font, const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);  // texts from files are shown as they stand, never as markup
    if (colour.isValid()) SetColour(label, QPalette::WindowText, colour);
    return label;
}

void SetLabelText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(font);
    return button;
}

void CentreOnScreen(QWidget* window)
{
    FitOnScreen(window);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // The frame centred, so a window as large as the screen stays on it.
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

QPushButton* MakeOkButton(QWidget* parent, const char* name, const QString& text, const QSize& iconSize)
{
    auto* button = new QPushButton(OkButtonPicture(), text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIconSize(iconSize);
    return button;
}

}  // namespace ql::ui
