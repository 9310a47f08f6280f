#pragma once
#include "gui/common/ClickGuard.h"
#include "gui/common/Guarded.h"

#include <QList>
#include <QPair>
#include <QPushButton>
#include <QString>

// Connects each named push button of a window to its handler through the
// error boundary; a button ignores further clicks while its handler runs,
// so a slow transfer cannot be started twice by an impatient double click.
template <class Window>
void connectGuardedButtons(Window* window, const QList<QPair<QString, void (Window::*)()>>& buttons)
{
    for (const auto& [name, slot] : buttons) {
        auto* b = window->template findChild<QPushButton*>(name);
        Q_ASSERT(b);
        QObject::connect(b, &QPushButton::clicked, window, guarded([window, b, slot = slot] {
                             const ClickGuard busy{b};
                             (window->*slot)();
                         }));
    }
}
