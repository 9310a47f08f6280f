#pragma once
#include "gui/devices/led/LedDriverForm.h"

// The PCA9530 LED dimmer window.
class TfrmPCA9530 : public TLedDriverForm {
    Q_OBJECT
public:
    explicit TfrmPCA9530(TfrmMain& main, QWidget* parent = nullptr);
};
