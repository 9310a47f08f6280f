#include "gui/devices/led/PCA9532.h"

TfrmPCA9532::TfrmPCA9532(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9532"), parent) {}
