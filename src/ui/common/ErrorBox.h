#pragma once
// The general error box and the guard every event handler runs its body through.

#include <QObject>
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
// The box opens once the body has been left, so everything the body cleans up
// on its way out (buttons enabled again, locks released) is done while the box
// is shown. No exception leaves the guard.
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

// Connects a signal to one of a window's handlers, run through the guard with
// the window as the error box's parent. The handler takes the signal's
// arguments or none of them.
template <class Sender, class Signal, class Window, class... Args>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Window* window, void (Window::*handler)(Args...))
{
    return QObject::connect(sender, signal, window, [window, handler](Args... args) {
        Guarded(window, [&] { (window->*handler)(args...); });
    });
}

}  // namespace ql::ui
