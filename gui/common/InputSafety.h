#pragma once
#include <QObject>

class QWidget;

// Keeps stray input from changing values a window may write to a chip,
// for every window of the application at once:
// - a wheel turned over a spin box, list or slider that has no focus goes
//   to the panel behind it (which scrolls) instead of stepping the value;
// - a spin box reports a typed number only when it is committed (Enter,
//   leaving the field, an arrow step), not at every keystroke.
// Scroll bars keep taking the wheel: they change nothing but the view.
class InputSafety : public QObject {
    Q_OBJECT
public:
    // Installs itself on the application for its lifetime.
    explicit InputSafety(QObject* parent = nullptr);
    ~InputSafety() override;

    // A control whose value a wheel step would change.
    static bool isValueControl(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
