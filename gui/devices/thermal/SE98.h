#pragma once
#include "gui/devices/thermal/ThermalForm.h"

#include <cstdint>
#include <optional>

class AutoWriteToggle;
class FlagBoxes;
class HexSpinBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

// The SE98's configuration image, kept for as long as the program runs.
struct Se98Images {
    std::uint16_t config = 0x0000;
    bool configKnown = false; // read from the chip or set by the user
};

// SE98 DIMM temperature sensor: 16-bit registers, alarm window and
// critical trip points, lock bits.
class TfrmSE98 : public TThermalForm {
    Q_OBJECT
public:
    explicit TfrmSE98(TfrmMain& main, QWidget* parent = nullptr);

public slots:
    void chbAutoWriteClick();
    void btnReadLocalTempClick();
    void btnReadCONClick();
    void btnWriteCONClick();
    void chbConClick(quint16 mask, bool set);
    void cmbHENChange(int index);
    void btnReadUBTClick();
    void btnWriteUBTClick();
    void btnReadLBTClick();
    void btnWriteLBTClick();
    void btnReadCATClick();
    void btnWriteCTClick();
    void spnUBTChange();
    void spnLBTChange();
    void spnCTChange();
    void btnReadSMBusClick();
    void btnWriteSMBusClick();
    void chbSMBUSClick();
    void btnCapabilityClick();
    void btnReadIDClick();
    void btnDeviceIDClick();
    void btnReadAllClick();
    void btnWriteAllClick();

private:
    struct Trip {
        std::uint8_t reg;
        HexSpinBox* high;
        HexSpinBox* low;
        QLabel* text;
        const char* caption; // "Upper Trip Temperature="
        const char* limit;   // the plot's name for it
    };

    QList<QWidget*> buildRegisters();
    QGroupBox* buildTrip(Trip& t, const QString& title, const QString& name, const QString& read,
                         const QString& write);

    enum class Write { Done, Refused, Failed, NotTaken };
    // Each shows its status and keeps it as the failure flag. A write is
    // refused (with its reason shown) while refusal() names one; a write to
    // a lockable register is read back, and a value the chip did not take
    // is shown and reported.
    tp::Status readRegister(std::uint8_t reg);
    Write writeRegister(std::uint8_t reg, std::uint16_t value);
    // Why `reg` must not be written now, or empty.
    QString refusal(std::uint8_t reg) const;
    const Trip* trip(std::uint8_t reg) const;
    void display(std::uint8_t reg, std::uint16_t word);
    void showConfig();
    void showTrip(const Trip& t);
    void showSmbus(std::uint16_t value, bool caption);
    std::uint16_t tripWord(const Trip& t) const;
    std::uint16_t smbusValue() const;
    void tripChanged(const Trip& t);
    TemperaturePlot::Reading poll();

    Se98Images& m_images;
    tp::Status m_failure = 0;
    // The configuration as the chip last reported or took it: its lock bits decide.
    std::optional<std::uint16_t> m_chipConfig;
    double m_temperature = 0;
    Trip m_upper{}, m_lower{}, m_critical{};

    AutoWriteToggle* m_autoWrite = nullptr;
    QCheckBox* chbAutoWrite = nullptr;
    QLabel* lblTemp = nullptr;
    QLabel* lblTempLocal = nullptr;
    QCheckBox* chbACT = nullptr;
    QCheckBox* chbAAW = nullptr;
    QCheckBox* chbBAW = nullptr;
    QGroupBox* grbConfig = nullptr;
    QComboBox* cmbHEN = nullptr;
    FlagBoxes* m_config = nullptr;
    QGroupBox* grbSMBus = nullptr;
    FlagBoxes* m_smbus = nullptr;
    QLabel* lblCapability = nullptr;
    QLabel* lblID = nullptr;
    QLabel* lblDeviceID = nullptr;
};
