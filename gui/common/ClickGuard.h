#pragma once
#include <QList>
#include <QObject>
#include <QPointer>

#include <initializer_list>

// While alive, the given buttons do not react to clicks; their reaction
// comes back when the guarded operation ends, whether it failed or not.
class ClickGuard {
public:
    ClickGuard(std::initializer_list<QObject*> buttons)
    {
        for (QObject* b : buttons) {
            m_buttons.append(b);
            m_previous.append(b->blockSignals(true));
        }
    }
    ~ClickGuard()
    {
        for (int i = 0; i < m_buttons.size(); ++i)
            if (m_buttons[i])
                m_buttons[i]->blockSignals(m_previous[i]);
    }
    ClickGuard(const ClickGuard&) = delete;
    ClickGuard& operator=(const ClickGuard&) = delete;

private:
    QList<QPointer<QObject>> m_buttons;
    QList<bool> m_previous;
};
