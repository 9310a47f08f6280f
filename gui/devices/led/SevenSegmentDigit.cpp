#include "gui/devices/led/SevenSegmentDigit.h"

#include <QPainter>
#include <QPainterPath>

SevenSegmentDigit::SevenSegmentDigit(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SevenSegmentDigit::setLook(const tp::saa1064::DigitLook& look)
{
    if (look == m_look)
        return;
    m_look = look;
    update();
}

QSize SevenSegmentDigit::sizeHint() const
{
    const int h = fontMetrics().height() * 4;
    return {h * 5 / 8 + 8, h};
}

void SevenSegmentDigit::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0x18, 0x18, 0x18));

    const qreal m = height() * 0.08;     // margin
    const qreal t = height() * 0.09;     // segment thickness
    const qreal w = width() - 2 * m - t; // segment box
    const qreal h = height() - 2 * m - t;
    const qreal x0 = m + t / 2, y0 = m + t / 2;
    const qreal slant = h * 0.08;
    auto at = [&](qreal fx, qreal fy) { return QPointF(x0 + fx * (w - slant - t) + (1 - fy) * slant, y0 + fy * h); };

    // Segment ends as fractions of the digit box: a, b, c, d, e, f, g.
    const QLineF seg[7] = {
        {at(0, 0), at(1, 0)},     {at(1, 0), at(1, 0.5)}, {at(1, 0.5), at(1, 1)}, {at(0, 1), at(1, 1)},
        {at(0, 0.5), at(0, 1)}, {at(0, 0), at(0, 0.5)}, {at(0, 0.5), at(1, 0.5)},
    };
    const QColor off(0x30, 0x22, 0x20);
    QColor on = m_lit;
    on = QColor(int(off.red() + (on.red() - off.red()) * m_look.brightness),
                int(off.green() + (on.green() - off.green()) * m_look.brightness),
                int(off.blue() + (on.blue() - off.blue()) * m_look.brightness));
    auto colourOf = [&](int bit) { return m_look.shown && (m_look.segments >> bit & 1) ? on : off; };

    for (int i = 0; i < 7; ++i) {
        QLineF l = seg[i];
        // Shorten each segment so neighbours do not touch.
        const qreal gap = t * 0.7 / l.length();
        const QPointF a = l.pointAt(gap), b = l.pointAt(1 - gap);
        p.setPen(QPen(colourOf(i), t, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colourOf(7));
    const QPointF dp = at(1, 1) + QPointF(t * 1.3, 0);
    p.drawEllipse(dp, t * 0.6, t * 0.6);
}
