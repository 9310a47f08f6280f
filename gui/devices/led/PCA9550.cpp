#include "gui/devices/led/PCA9550.h"

TfrmPCA9550::TfrmPCA9550(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9550"), parent) {}
