#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9551 LED blinker window.
class TfrmPCA9551 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9551(TfrmMain& main, QWidget* parent = nullptr);
};
