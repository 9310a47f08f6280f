#pragma once
#include <QString>
#include <Qt>

class AutoWriteToggle;
class BitBoxRow;
class ChipLink;
class QGroupBox;
class QPushButton;
class QVBoxLayout;

// The parts the multiplexer and switch windows share in each chip's group.

// The read-only interrupt indicators, one red LED per channel, named
// boxPrefix + "Int" + channel; the chip's group is `name`.
BitBoxRow* addInterruptIndicators(QGroupBox* grb, QVBoxLayout* v, const QString& name, const QString& boxPrefix,
                                  int channels);

struct ControlButtons {
    QPushButton* btnRead;
    QPushButton* btnWrite;
    AutoWriteToggle* autoWrite;
};

// Read and Write for the control register, laid out in `direction`, and
// the group's Auto Write switch, which `link` then obeys.
ControlButtons addControlButtons(QGroupBox* grb, QVBoxLayout* v, const QString& name, Qt::Orientation direction,
                                 ChipLink& link);
