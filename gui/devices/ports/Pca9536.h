#pragma once
#include "gui/devices/ports/RegisterPortWindow.h"

// The 4-bit expanders PCA9536 and PCA9537: bit boxes for bits 3..0 only;
// the fields still hold a byte, whose upper four bits go out as they are.
// Its address list is `edtAddress`, one item per chip.
class TfrmPCA9536 : public RegisterPortWindow {
    Q_OBJECT
public:
    explicit TfrmPCA9536(TfrmMain& main, QWidget* parent = nullptr);
};
