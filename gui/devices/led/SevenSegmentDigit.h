#pragma once
#include "core/devices/led/Saa1064.h"

#include <QColor>
#include <QWidget>

// One digit of the SAA1064 preview: seven segments and a decimal point,
// lit from the segment bits (bit 0 = a .. bit 6 = g, bit 7 = dp) at the
// brightness the segment current gives; a blanked digit stays dark.
class SevenSegmentDigit : public QWidget {
    Q_OBJECT
public:
    explicit SevenSegmentDigit(const QString& objectName, QWidget* parent = nullptr);

    const tp::saa1064::DigitLook& look() const { return m_look; }
    void setLook(const tp::saa1064::DigitLook& look);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    tp::saa1064::DigitLook m_look;
    QColor m_lit{0xFF, 0x30, 0x20};
};
