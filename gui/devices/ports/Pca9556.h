#pragma once
#include "gui/devices/ports/RegisterPortWindow.h"

// The 8-bit expanders PCA9556 and PCA9557. They power up with output 00
// and the upper four inputs inverted (polarity F0); the input is unknown
// until the first read.
class TfrmPCA9556 : public RegisterPortWindow {
    Q_OBJECT
public:
    explicit TfrmPCA9556(TfrmMain& main, QWidget* parent = nullptr);
};
