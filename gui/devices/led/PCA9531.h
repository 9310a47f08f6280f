#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9531 LED dimmer window.
class TfrmPCA9531 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9531(TfrmMain& main, QWidget* parent = nullptr);
};
