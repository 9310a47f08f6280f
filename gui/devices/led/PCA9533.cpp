#include "gui/devices/led/PCA9533.h"

TfrmPCA9533::TfrmPCA9533(TfrmMain& main, QWidget* parent) : TLedDriverForm(main, tp::led::member("PCA9533"), parent) {}
