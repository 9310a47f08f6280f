#include "gui/devices/led/PCA9551.h"

TfrmPCA9551::TfrmPCA9551(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9551"), parent) {}
