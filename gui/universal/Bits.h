#pragma once
#include "gui/universal/RegisterControl.h"

#include <array>

class QLineEdit;

// One register as eight bit fields, bit 7 on the left; a click on a field
// toggles its bit.
class TfrmBits : public TRegisterControl {
    Q_OBJECT
public:
    TfrmBits(TfrmLongI2C& device, int reg);
    QLineEdit* digit(int bit) const { return m_digits[static_cast<std::size_t>(bit)]; }
    // The value the fields show.
    std::uint8_t shownValue() const;

public slots:
    void edtDigitClick(int bit);

protected:
    void loadValue(std::uint8_t v) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLineEdit*, 8> m_digits{};
};
