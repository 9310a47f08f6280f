#include "gui/devices/led/PCA9531.h"

TfrmPCA9531::TfrmPCA9531(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9531"), parent) {}
