#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9532 LED dimmer window.
class TfrmPCA9532 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9532(TfrmMain& main, QWidget* parent = nullptr);
};
