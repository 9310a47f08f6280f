#include "gui/devices/led/PCA9530.h"

TfrmPCA9530::TfrmPCA9530(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9530"), parent) {}
