#pragma once
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// The window-wide hex key filter: while installed on a window, a key press
// that types a character reaches a control of that window only if it is
// backspace, tab, return or a hex digit. Keys that type nothing (arrows,
// Delete) and Ctrl combinations (copy, paste) pass. The space bar therefore
// does not toggle a focused check box there.
class HexKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit HexKeyFilter(QWidget* window);

    // Controls (and their children) where typing is free, such as a text grid.
    void exempt(QWidget* widget);
    void setActive(bool on) { m_active = on; }
    // Sounds the system's beep for each key it discards.
    void setBeepOnDiscard(bool on) { m_beep = on; }
    bool isActive() const { return m_active; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QList<QPointer<QWidget>> m_exempt;
    bool m_active = true;
    bool m_beep = false;
};
