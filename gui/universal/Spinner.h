#pragma once
#include "gui/universal/RegisterControl.h"

class QLabel;
class UpDownButtons;

// Up and down arrows that step one register by 1 between 0 and 255, the
// value shown beside them as "0x" and two hex digits.
class TfrmSpin : public TRegisterControl {
    Q_OBJECT
public:
    TfrmSpin(TfrmLongI2C& device, int reg);
    UpDownButtons* spin() const { return spnRegister; }
    QLabel* valueLabel() const { return lblSpin; }

public slots:
    void spnRegisterChange(int value);

protected:
    void loadValue(std::uint8_t v) override;

private:
    UpDownButtons* spnRegister;
    QLabel* lblSpin;
};
