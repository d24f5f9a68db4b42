// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Real mouse and key events for window tests. Keys go through QTest, which passes them through the
// application's shortcut map first, as typed keys go, so toolbar and window shortcuts fire.

#include <functional>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace vondrel::test {

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = {},
                      Qt::MouseButton button = Qt::LeftButton) {
    const bool isUp = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove;
    const Qt::MouseButtons held = isUp ? Qt::MouseButtons(Qt::NoButton) : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    QApplication::sendEvent(target, &event);
}

inline void ClickAt(QWidget* target, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    SendMouse(target, QEvent::MouseButtonPress, at, modifiers);
    SendMouse(target, QEvent::MouseButtonRelease, at, modifiers);
}

inline void DoubleClickAt(QWidget* target, QPoint at) {
    ClickAt(target, at);
    SendMouse(target, QEvent::MouseButtonDblClick, at);
    SendMouse(target, QEvent::MouseButtonRelease, at);
}

// A drag with the left button held, through points between the two ends.
inline void DragFromTo(QWidget* target, QPoint from, QPoint to) {
    SendMouse(target, QEvent::MouseButtonPress, from);
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    SendMouse(target, QEvent::MouseButtonRelease, to);
}

// A key pressed and released on the focus widget (or `target`).
inline void PressKey(int key, Qt::KeyboardModifiers modifiers = {}, QWidget* target = nullptr) {
    QWidget* receiver = target ? target : QApplication::focusWidget();
    if (receiver) {
        QTest::keyClick(receiver, static_cast<Qt::Key>(key), modifiers);
    }
}

// Typed text, a key event with its text per character (Chinese as an input method commits it).
inline void TypeText(const QString& text, QWidget* target = nullptr) {
    QWidget* receiver = target ? target : QApplication::focusWidget();
    if (receiver) {
        for (QChar ch : text) {
            QTest::sendKeyEvent(QTest::Click, receiver, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

// Runs the event loop until `done` holds or about five seconds passed; returns whether it held.
inline bool WaitUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 500 && !done(); ++round) {
        QTest::qWait(10);
    }
    return done();
}

} // namespace vondrel::test
