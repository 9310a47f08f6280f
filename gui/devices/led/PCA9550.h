#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9550 LED blinker window.
class TfrmPCA9550 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9550(TfrmMain& main, QWidget* parent = nullptr);
};
