#include "gui/common/ChipPicture.h"

#include <QPainter>

ChipPicture::ChipPicture(const QString& type, int pinsPerSide, QWidget* parent)
    : QWidget(parent), m_type(type), m_pins(qMax(1, pinsPerSide))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ChipPicture::sizeHint() const
{
    const int pitch = fontMetrics().height() / 2 + 4;
    return {fontMetrics().horizontalAdvance(m_type) + 60, m_pins * pitch + 16};
}

void ChipPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int pinLength = 10;
    const QRectF body(pinLength, 4, width() - 2 * pinLength, height() - 8);
    const qreal pitch = body.height() / m_pins;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB8, 0xB8, 0xB8));
    for (int i = 0; i < m_pins; ++i) {
        const qreal y = body.top() + pitch * (i + 0.5) - pitch / 6;
        p.drawRect(QRectF(0, y, pinLength, pitch / 3));
        p.drawRect(QRectF(body.right(), y, pinLength, pitch / 3));
    }
    p.setBrush(QColor(0x30, 0x30, 0x34));
    p.drawRoundedRect(body, 3, 3);
    p.setBrush(QColor(0x60, 0x60, 0x66));
    p.drawEllipse(QPointF(body.left() + 8, body.top() + 8), 3, 3);
    p.setPen(QColor(0xE0, 0xE0, 0xE0));
    p.drawText(body, Qt::AlignCenter, m_type);
}
