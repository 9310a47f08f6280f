#include "gui/devices/led/LedLamp.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

LedLamp::LedLamp(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LedLamp::setBrightness(double b)
{
    b = std::clamp(b, 0.0, 1.0);
    if (b == m_brightness)
        return;
    m_brightness = b;
    update();
}

void LedLamp::setColour(const QColor& c)
{
    m_colour = c;
    update();
}

QSize LedLamp::sizeHint() const
{
    const int d = fontMetrics().height() + 6;
    return {d + 2, d + 2};
}

void LedLamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = std::min(width(), height()) - 2;
    const QRectF lamp((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    // Dark lamp colour blended towards the lit one by brightness.
    const QColor dark = m_colour.darker(400);
    auto mix = [&](int a, int b) { return int(a + (b - a) * m_brightness); };
    const QColor c(mix(dark.red(), m_colour.red()), mix(dark.green(), m_colour.green()),
                   mix(dark.blue(), m_colour.blue()));
    if (m_brightness > 0.05) {
        // The glow around a lit lamp.
        QRadialGradient glow(lamp.center(), d / 2.0 + 1);
        QColor halo = m_colour;
        halo.setAlphaF(0.35 * m_brightness);
        glow.setColorAt(0.6, halo);
        glow.setColorAt(1.0, Qt::transparent);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(lamp.adjusted(-1, -1, 1, 1));
    }
    QRadialGradient g(lamp.center() - QPointF(d / 5.0, d / 5.0), d * 0.7);
    // The same small highlight at every brightness: a fully lit lamp keeps
    // its colour instead of washing out towards white.
    g.setColorAt(0, c.lighter(130));
    g.setColorAt(1, c);
    p.setBrush(g);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.drawEllipse(lamp.adjusted(2, 2, -2, -2));
}
