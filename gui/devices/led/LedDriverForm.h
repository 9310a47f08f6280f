#pragma once
#include "core/devices/led/LedPreview.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"

#include <QElapsedTimer>

#include <array>

class AutoWriteToggle;
class HexField;
class LedLamp;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

// The window of an LED dimmer or blinker, built from its member's
// description: two PWM channels (period and duty sliders with their texts),
// the register displays, one four-position mode switch per LED over the
// program-level LED selector image, Write All / Read Input / Read All, and
// a live preview of the LEDs as the registers would drive them.
class TLedDriverForm : public TChildForm {
    Q_OBJECT
public:
    TLedDriverForm(TfrmMain& main, const tp::led::Member& member, QWidget* parent = nullptr);

    const tp::led::Member& member() const { return m_member; }
    ChipLink& link() { return m_link; }
    // The registers as the window now holds them: slider positions and the selector image.
    tp::led::LedRegisters registers() const;
    // How the preview shows LED `led`.
    tp::led::LedLook look(int led) const;

public slots:
    // Writes one register and shows the status.
    void WriteByte(int reg, int value);
    void btnWriteClick();
    void btnReadClick();
    void btnReadInputClick();
    void cmbAddressChange(int index);
    void trbPeriod0Change(int position);
    void trbDC0Change(int position);
    void trbPeriod1Change(int position);
    void trbDC1Change(int position);
    void vswLEDChange(int led, int position);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildCommands();
    QGroupBox* buildChannel(int c);
    QGroupBox* buildRegisters();
    QGroupBox* buildLeds();
    QWidget* buildLedColumn(int led, QWidget* parent);

    std::vector<std::uint8_t>& image() const;
    void periodChange(int c, int position);
    void dutyChange(int c, int position);
    void showPeriod(int c, int position);
    void showDuty(int c, int position);
    void showSelector(int j);
    void showMode(int led);
    // Shows registers read from the chip everywhere, with no change reaction.
    void showRead(const tp::led::LedRegisters& r);
    tp::Status readInputs();
    void refreshPreview();
    void animate();

    const tp::led::Member& m_member;
    ChipLink m_link;
    char m_decimal = '.';

    QComboBox* cmbAddress = nullptr;
    AutoWriteToggle* m_autoWrite = nullptr;
    QPushButton* btnWrite = nullptr;
    QPushButton* btnReadInput = nullptr;
    QPushButton* btnRead = nullptr;
    std::array<QSlider*, 2> trbPeriod{};
    std::array<QSlider*, 2> trbDC{};
    std::array<QLabel*, 2> stcPeriod{};
    std::array<QLabel*, 2> stcFreq{};
    std::array<QLabel*, 2> stcDC{};
    QList<HexField*> edtReg;
    QList<QSlider*> vswLED;
    QList<QLabel*> lblLED;                 // one mode text per LED
    QList<std::array<QLabel*, 4>> m_labels; // or four labels per LED, by mode code
    QList<LedLamp*> m_lamps;
    QTimer* m_tick = nullptr;
    QElapsedTimer m_clock;
};
