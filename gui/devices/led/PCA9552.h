#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9552 LED blinker window.
class TfrmPCA9552 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9552(TfrmMain& main, QWidget* parent = nullptr);
};
