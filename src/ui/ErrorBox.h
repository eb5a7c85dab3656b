#pragma once
// The general error box and the guard every event handler runs its body through.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <exception>
#include <new>
#include <string>

#include "base/user_error.h"

namespace ql::ui {

// Caption of the error box and of the program's own message boxes.
inline const QString ApplicationTitle = QStringLiteral("Quenlorn Polygonberechnung");

// The message as the box shows it: a full stop is appended when the last
// character sorts after ".".
QString ErrorBoxText(const std::string& message);

// Modal box: caption the application title, error icon, one OK button.
void ShowErrorBox(QWidget* parent, const std::string& message);

// Every text the error box has shown in this process, oldest first (for tests).
QStringList& ErrorBoxHistory();

// Runs an event handler's body; an error ends it and shows in the error box.
// No exception leaves the guard.
template <class Body>
void Guarded(QWidget* parent, Body&& body)
{
    try {
        body();
    } catch (const UserError& e) {
        ShowErrorBox(parent, e.what());
    } catch (const std::bad_alloc&) {
        ShowErrorBox(parent, "Zu wenig Arbeitsspeicher");
    } catch (const std::exception& e) {
        ShowErrorBox(parent, e.what());
    }
}

}  // namespace ql::ui
