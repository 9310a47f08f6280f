#pragma once
#include "gui/universal/RegisterControl.h"

class QSlider;

// A vertical slider over one register, 0 to 255.
class TfrmSlider : public TRegisterControl {
    Q_OBJECT
public:
    TfrmSlider(TfrmLongI2C& device, int reg);
    QSlider* slider() const { return m_slider; }

public slots:
    void SliderChange(int position);

protected:
    void loadValue(std::uint8_t v) override;

private:
    QSlider* m_slider;
};
