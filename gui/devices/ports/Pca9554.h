#pragma once
#include "gui/devices/ports/RegisterPortWindow.h"

// The 8-bit expanders PCA9534, PCA9538, PCA9554 and PCA9554A, which differ
// only in their address ranges.
class TfrmPCA9554 : public RegisterPortWindow {
    Q_OBJECT
public:
    explicit TfrmPCA9554(TfrmMain& main, QWidget* parent = nullptr);
};
