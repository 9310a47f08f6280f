#pragma once
#include <QMap>
#include "gui/devices/thermal/ThermalForm.h"

#include <cstdint>

class AutoWriteToggle;
class FlagBoxes;
class HexSpinBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The SA56004's configuration image, kept for as long as the program runs.
struct Sa56004Images {
    std::uint8_t config = 0x00;
};

// SA56004 local and remote temperature sensor.
class TfrmSA56004 : public TThermalForm {
    Q_OBJECT
public:
    explicit TfrmSA56004(TfrmMain& main, QWidget* parent = nullptr);

public slots:
    void chbAutoWriteClick();
    void btnReadLocalTempClick();
    void btnRemoteTempClick();
    void btnReadStatusClick();
    void btnReadCONClick();
    void btnWriteCONClick();
    void chbConfigClick(quint16 mask, bool set);
    void btnReadCRClick();
    void btnWriteCRClick();
    void cmbCRChange(int index);
    void spnLHSChange();
    void spnLLSChange();
    void spnRHSChange();
    void spnRLSChange();
    void spnRTOChange();
    void spnRCSChange();
    void spnLCSChange();
    void spnTHChange();
    void btnReadLocalLimitsClick();
    void btnWriteLocalLimitsClick();
    void btnReadRemoteTempLimitsClick();
    void btnWriteRemoteTempLimitsClick();
    void btnReadRTOClick();
    void btnWriteRTOClick();
    void btnReadRemoteT_CRITClick();
    void btnWriteRemoteTCRITClick();
    void btnReadT_CRITClick();
    void btnWriteLocalTCRITClick();
    void btnReadTHClick();
    void btnWriteTHClick();
    void chbAlertModeClick();
    void btnReadIDClick();
    void btnOneShotClick();
    void btnWriteAllClick();

private:
    QList<QWidget*> buildRegisters();
    QGroupBox* buildTemperature(bool remote, QWidget* parent);
    using SpinRow = QPair<QList<HexSpinBox*>, QLabel*>;
    QGroupBox* buildSpinGroup(const QString& title, const QString& name, QWidget* parent, const QList<SpinRow>& rows,
                              const QString& readName, const QString& writeName);
    HexSpinBox* spin(const QString& name, int start, const QString& hint, int maximum = 0xFF, int step = 1);

    // Register access through the read and write numbers; none shows its status.
    tp::Status readReg(std::uint8_t readNumber, std::uint8_t& value);
    tp::Status writeReg(std::uint8_t readNumber, std::uint8_t value);
    // Writes in order, each only after status 0; shows the last status.
    tp::Status writeRegs(const QList<QPair<std::uint8_t, std::uint8_t>>& writes);
    // Automatic writes of a change: with Auto Write on, the writes; a
    // failure switches Auto Write off.
    void autoWrite(const QList<QPair<std::uint8_t, std::uint8_t>>& writes);

    tp::Status readTemperature(bool remote, bool show);
    void showConfig();
    void showLimitTexts();
    TemperaturePlot::Reading poll();

    Sa56004Images& m_images;
    tp::Status m_autoStatus = 0; // of the last automatic write
    // Limit register bytes as the chip last reported or took them (read
    // numbers); the plot's limit lines follow these, not the spin boxes.
    QMap<std::uint8_t, std::uint8_t> m_chipBytes;
    void showPlotLimits();
    double m_local = 0;
    double m_remote = 0;

    AutoWriteToggle* m_autoWrite = nullptr;
    QCheckBox* chbAutoWrite = nullptr;
    QLabel* lblLTHB = nullptr;
    QLabel* lblLTLB = nullptr;
    QLabel* lblTempLocal = nullptr;
    QLabel* lblRTHB = nullptr;
    QLabel* lblRTLB = nullptr;
    QLabel* lblTempRET = nullptr;
    QGroupBox* grbStatus = nullptr;
    QGroupBox* grbConfiguration = nullptr;
    FlagBoxes* m_status = nullptr;
    FlagBoxes* m_config = nullptr;
    QComboBox* cmbCR = nullptr;
    HexSpinBox* spnLHS = nullptr;
    HexSpinBox* spnLLS = nullptr;
    HexSpinBox* spnRHSHB = nullptr;
    HexSpinBox* spnRHSLB = nullptr;
    HexSpinBox* spnRLSHB = nullptr;
    HexSpinBox* spnRLSLB = nullptr;
    HexSpinBox* spnRTOHB = nullptr;
    HexSpinBox* spnRTOLB = nullptr;
    HexSpinBox* spnRCS = nullptr;
    HexSpinBox* spnLCS = nullptr;
    HexSpinBox* spnTH = nullptr;
    QLabel* lblLHS = nullptr;
    QLabel* lblLLS = nullptr;
    QLabel* lblRHS = nullptr;
    QLabel* lblRLS = nullptr;
    QLabel* lblRTO = nullptr;
    QLabel* lblRCS = nullptr;
    QLabel* lblLCS = nullptr;
    QLabel* lblTH = nullptr;
    QCheckBox* chbAlertMode = nullptr;
    QLabel* lblID = nullptr;
    QLabel* lblRDR = nullptr;
};
