#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9553 LED blinker window.
class TfrmPCA9553 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9553(TfrmMain& main, QWidget* parent = nullptr);
};
