#pragma once

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace trv::testing {

// Runs dialog.exec() while `action` is done from inside its event loop; a dialog that does
// not close within two seconds ends with -1 so a failing test cannot hang.
inline int ExecWhile(QDialog& dialog, const std::function<void()>& action)
{
    QTimer::singleShot(0, &dialog, action);
    QTimer::singleShot(2000, &dialog, [&dialog] { dialog.done(-1); });
    return dialog.exec();
}

// A key as the user types it into the focused control; unhandled keys travel up to the window.
inline void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

inline QWidget* Focused(QWidget& window)
{
    return window.focusWidget() ? window.focusWidget() : &window;
}

} // namespace trv::testing
