#include "gui/devices/led/PCA9552.h"

TfrmPCA9552::TfrmPCA9552(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9552"), parent) {}
