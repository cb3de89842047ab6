// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixed_size_windows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quarnix {

namespace {

const QSize Unbounded(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

// The widget keeps its fixed size; only the window system is unbounded.
void Unbound(QWindow* surface) {
    if (surface->minimumSize() == surface->maximumSize()) {
        surface->setMaximumSize(Unbounded);
    }
}

}  // namespace

bool FixedSizeWindows::eventFilter(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Resize) || !receiver->isWidgetType()) {
        return false;
    }
    auto* window = static_cast<QWidget*>(receiver);
    QWindow* surface = window->windowHandle();
    if (!window->isWindow() || surface == nullptr) {
        return false;
    }
    // Now, and again once the events at hand are handled: a message box fixes
    // its size after it is shown.
    Unbound(surface);
    QTimer::singleShot(0, surface, [surface = QPointer<QWindow>(surface)] {
        if (surface != nullptr) {
            Unbound(surface);
        }
    });
    return false;
}

void InstallFixedSizeWindows(QCoreApplication& application) {
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
        application.installEventFilter(new FixedSizeWindows(&application));
    }
}

}  // namespace quarnix
