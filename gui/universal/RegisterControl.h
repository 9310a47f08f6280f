#pragma once
#include <QPointer>
#include <QWidget>

#include <cstdint>

class QCheckBox;
class QLabel;
class TfrmLongI2C;

// A live editor of one register of the user definable device: a small
// window captioned "0x" + the register in two hex digits, the register's
// name, a control of its own kind and an Auto Write box (off at opening).
// It loads its control from the register's cell, and again whenever the
// cell changes or the window becomes active; loading never writes to the
// chip. A change by the user puts the value into the cell and, with Auto
// Write on, writes the register.
class TRegisterControl : public QWidget {
    Q_OBJECT
public:
    int registerIndex() const { return m_reg; }
    QCheckBox* autoWriteBox() const { return m_auto; }
    QLabel* nameLabel() const { return lblRegName; }
    // Loads the control from the register's cell without any reaction.
    void reload();

protected:
    // `nameLabel` (made here when null) shows the register's name.
    TRegisterControl(TfrmLongI2C& device, int reg, const QString& autoName, const QString& autoHint,
                     QLabel* nameLabel = nullptr);

    // Builds the auto write box with its caption rule.
    QCheckBox* makeAutoWriteBox(const QString& name, const QString& hint);
    // Shows v in the control; no change reaction runs.
    virtual void loadValue(std::uint8_t v) = 0;
    // The change reaction: the control's value goes to the device.
    void valueChange(std::uint8_t value);
    // Whether a change may react now (not while loading).
    bool reacting() const { return !m_loading; }

    void changeEvent(QEvent* event) override;

    QPointer<TfrmLongI2C> m_device;
    QLabel* lblRegName = nullptr;

private:
    void FormActivate();

    int m_reg;
    QCheckBox* m_auto = nullptr;
    bool m_loading = false;
};
