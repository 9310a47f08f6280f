#pragma once
#include "gui/common/Guarded.h"

#include <QEvent>
#include <QFocusEvent>
#include <QObject>
#include <QWidget>

#include <functional>

// Switching to another application or opening a menu is not leaving a field.
inline bool leavesField(const QFocusEvent& event)
{
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

// Runs a handler when a control loses the focus: the "exit" of a field.
class ExitFilter : public QObject {
public:
    ExitFilter(QWidget* control, std::function<void()> onExit) : QObject(control), m_onExit(std::move(onExit))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut && leavesField(*static_cast<QFocusEvent*>(event)))
            guard(m_onExit);
        return false;
    }

private:
    std::function<void()> m_onExit;
};

inline void onExit(QWidget* control, std::function<void()> handler)
{
    new ExitFilter(control, std::move(handler));
}
