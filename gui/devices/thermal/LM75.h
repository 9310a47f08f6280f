#pragma once
#include "gui/devices/thermal/ThermalForm.h"

#include <cstdint>

class AutoWriteToggle;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class UpDownButtons;

// The LM75A's images, kept for as long as the program runs; a new window
// sets them to its form values.
struct Lm75aImages {
    std::uint8_t config = 0x00;
    int thyst = 150; // 0.5 °C steps: 75.0 °C
    int tos = 160;   // 80.0 °C
};

// LM75A digital temperature sensor and thermal watchdog.
class TfrmLM75A : public TThermalForm {
    Q_OBJECT
public:
    explicit TfrmLM75A(TfrmMain& main, QWidget* parent = nullptr);

    const Lm75aImages& images() const { return m_images; }

public slots:
    void chbAutoWriteClick();
    void btnReadTempClick();
    void btnReadConfigClick();
    void btnWriteConfigClick();
    void cmbShutdownChange(int index);
    void cmbOSModeChange(int index);
    void cmbPolarityChange(int index);
    void cmbOSFaultChange(int index);
    void spnThystTempUpClick();
    void spnThystTempDownClick();
    void spnTOSTempUpClick();
    void spnTOSTempDownClick();
    void btnReadThystClick();
    void btnWriteThystClick();
    void btnReadTOSClick();
    void btnWriteTOSClick();
    void btnReadAllClick();
    void btnWriteAllClick();

private:
    QWidget* buildRegisters();
    QWidget* buildConfiguration(QWidget* parent);
    QWidget* buildLimit(QWidget* parent, bool tos);

    // Register operations; each shows its status.
    tp::Status readTemperature();
    tp::Status readConfig();
    tp::Status readLimit(bool tos);
    tp::Status writeConfig();
    tp::Status writeLimit(bool tos);
    TemperaturePlot::Reading poll();

    void configListChanged(int shift, int width, int index);
    void stepLimit(bool tos, int step);
    void showTemperature(std::uint16_t word);
    void showConfig();
    void showLimit(bool tos, std::uint16_t word);
    static QString limitName(bool tos);

    Lm75aImages& m_images;
    AutoWriteToggle* m_autoWrite = nullptr;
    QCheckBox* chbAutoWrite = nullptr;
    QLabel* txtTempHex = nullptr;
    QLabel* txtTemp = nullptr;
    QLabel* txtConfig = nullptr;
    QComboBox* cmbShutdown = nullptr;
    QComboBox* cmbOSMode = nullptr;
    QComboBox* cmbPolarity = nullptr;
    QComboBox* cmbOSFault = nullptr;
    QLabel* txtThystHex = nullptr;
    QLabel* txtThyst = nullptr;
    QLabel* txtTOSHex = nullptr;
    QLabel* txtTOS = nullptr;
    UpDownButtons* spnThyst = nullptr;
    UpDownButtons* spnTOS = nullptr;
    QPushButton* btnReadTemp = nullptr;
    QPushButton* btnReadConfig = nullptr;
    QPushButton* btnWriteConfig = nullptr;
    QPushButton* btnReadThyst = nullptr;
    QPushButton* btnWriteThyst = nullptr;
    QPushButton* btnReadTOS = nullptr;
    QPushButton* btnWriteTOS = nullptr;
    QPushButton* btnReadAll = nullptr;
    QPushButton* btnWriteAll = nullptr;
};
