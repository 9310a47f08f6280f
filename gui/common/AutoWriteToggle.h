#pragma once
#include "gui/common/ToggleCaption.h"

// A chip's Auto Write toggle (check box, toggle button or LED toggle): off
// when the window is made, its caption following its state. While on, a
// completed change of a register's field writes the register.
class AutoWriteToggle : public ToggleCaption {
    Q_OBJECT
public:
    explicit AutoWriteToggle(QAbstractButton* button, tp::AutoWriteCaption style = tp::AutoWriteCaption::OnOff);

    // Auto Write off for as long as it lives, back to its former state after
    // (also when the operation ends with an error): reading never writes back.
    class Suspension {
    public:
        explicit Suspension(AutoWriteToggle* toggle);
        ~Suspension();
        Suspension(const Suspension&) = delete;
        Suspension& operator=(const Suspension&) = delete;
        // Leaves Auto Write off when it ends.
        void keepOff() { m_was = false; }

    private:
        AutoWriteToggle* m_toggle;
        bool m_was = false;
    };
};
