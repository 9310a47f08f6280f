#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9533 LED dimmer window.
class TfrmPCA9533 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9533(TfrmMain& main, QWidget* parent = nullptr);
};
