#pragma once
#include "gui/devices/thermal/ThermalForm.h"

#include <cstdint>

class AutoWriteToggle;
class FlagBoxes;
class LedToggle;
class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;

// NE1617(A) temperature monitor: read registers shown in their group
// captions, write registers fed by boxes, a list and spins.
class TfrmNE1617 : public TThermalForm {
    Q_OBJECT
public:
    explicit TfrmNE1617(TfrmMain& main, QWidget* parent = nullptr);

public slots:
    void chbAutoWriteClick();
    void btnReadReg0Click();
    void btnRETClick();
    void btnReadStatusClick();
    void btnReadRCClick();
    void btnRCRClick();
    void btnRIHLClick();
    void btnRILLClick();
    void btnREHLClick();
    void btnRELLClick();
    void chbWCClick();
    void cmbWCRChange(int index);
    void spnWIHLChange();
    void spnWILLChange();
    void spnWEHLChange();
    void spnWELLChange();
    void btnReadAllClick();
    void btnWriteAllClick();
    void btnOneShotClick();

private:
    QList<QWidget*> buildRegisters();
    QGroupBox* readGroup(const QString& caption, const QString& name, QLabel* text, const QString& button);
    QSpinBox* limitSpin(const QString& name, int start);

    // One read register: ReadByte and, on status 0, its display.
    tp::Status readRegister(std::uint8_t reg, bool show = true);
    void display(std::uint8_t reg, std::uint8_t value);
    // An automatic write: with Auto Write on, the write; a failure switches it off.
    void autoWrite(std::uint8_t reg, std::uint8_t value);
    void limitKnown(std::uint8_t readReg, int celsius);
    TemperaturePlot::Reading poll();

    AutoWriteToggle* m_autoWrite = nullptr;
    LedToggle* chbAutoWrite = nullptr;
    QGroupBox* m_groups[9] = {};
    QLabel* lblTempRIT = nullptr;
    QLabel* lblTempRET = nullptr;
    QLabel* lblRCR = nullptr;
    QLabel* lblRIHL = nullptr;
    QLabel* lblRILL = nullptr;
    QLabel* lblREHL = nullptr;
    QLabel* lblRELL = nullptr;
    FlagBoxes* m_status = nullptr;
    FlagBoxes* m_readConfig = nullptr;
    FlagBoxes* m_writeConfig = nullptr;
    QGroupBox* grbWC = nullptr;
    QGroupBox* grbWCR = nullptr;
    QComboBox* cmbWCR = nullptr;
    QSpinBox* spnWIHL = nullptr;
    QSpinBox* spnWILL = nullptr;
    QSpinBox* spnWEHL = nullptr;
    QSpinBox* spnWELL = nullptr;
    double m_internal = 0;
    double m_external = 0;
};
