#include "gui/devices/led/PCA9553.h"

TfrmPCA9553::TfrmPCA9553(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9553"), parent) {}
