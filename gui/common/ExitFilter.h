#pragma once
#include <QEvent>
#include <QFocusEvent>
#include <QObject>
#include <QWidget>

#include <functional>

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
        // Switching to another application or opening a menu is not leaving the field.
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                m_onExit();
        }
        return false;
    }

private:
    std::function<void()> m_onExit;
};

inline void onExit(QWidget* control, std::function<void()> handler)
{
    new ExitFilter(control, std::move(handler));
}
