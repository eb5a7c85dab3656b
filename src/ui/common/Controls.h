#pragma once
// Small makers for the windows' controls: each control gets its design name,
// font and colour in one call, so the windows' build-up reads like their
// design tables.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QSize>
#include <QString>

#include <string_view>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace ql::ui {

// UTF-8 text from the engine as a QString.
QString FromUtf8(std::string_view text);

// Sets one colour of a control's palette.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// A label with its design name, font and, when valid, text colour.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                  const QColor& colour = QColor());

// Labels size themselves to their text.
void SetLabelText(QLabel* label, const QString& text);

// A push button with its design name and font.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QFont& font);

// A window without a cancel button: Escape does not close it.
QObject* KeepOpenOnEscape(QDialog* dialog);  // the filter, to remove it again

// Fits a window to the screen (FitOnScreen) and moves it to the centre of
// the primary screen's available area.
void CentreOnScreen(QWidget* window);

// A push button showing the OK picture beside its text.
QPushButton* MakeOkButton(QWidget* parent, const char* name, const QString& text, const QSize& iconSize);

}  // namespace ql::ui
