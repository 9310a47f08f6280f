#include "gui/devices/rtc/ClockFace.h"

#include <QPainter>
#include <QPainterPath>

ClockFace::ClockFace(const QString& objectName, bool seconds, QWidget* parent)
    : QWidget(parent), m_showSeconds(seconds)
{
    setObjectName(objectName);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ClockFace::setTime(int hours, int minutes, int seconds)
{
    if (hours == m_hours && minutes == m_minutes && seconds == m_seconds)
        return;
    m_hours = hours;
    m_minutes = minutes;
    m_seconds = seconds;
    update();
}

QSize ClockFace::sizeHint() const
{
    const int d = fontMetrics().height() * 5;
    return {d, d};
}

void ClockFace::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    p.scale(side / 200.0, side / 200.0);

    const QPalette pal = palette();
    p.setPen(QPen(pal.color(QPalette::Dark), 3));
    p.setBrush(pal.color(QPalette::Base));
    p.drawEllipse(QPointF(0, 0), 96, 96);

    p.setPen(QPen(pal.color(QPalette::Text), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        p.drawLine(QPointF(0, -78), QPointF(0, i % 3 == 0 ? -90 : -86));
        p.rotate(30);
    }

    auto hand = [&](double degrees, double length, double width, const QColor& colour) {
        p.save();
        p.rotate(degrees);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, 10), QPointF(0, -length));
        p.restore();
    };
    const double minutes = m_minutes + (m_showSeconds ? m_seconds / 60.0 : 0.0);
    hand(30.0 * (m_hours % 12 + minutes / 60.0), 50, 8, pal.color(QPalette::Text));
    hand(6.0 * minutes, 74, 5, pal.color(QPalette::Text));
    if (m_showSeconds)
        hand(6.0 * m_seconds, 82, 2, QColor(0xC0, 0x20, 0x20));
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(QPalette::Text));
    p.drawEllipse(QPointF(0, 0), 6, 6);
}
