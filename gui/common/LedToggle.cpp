#include "gui/common/LedToggle.h"

#include <QPainter>
#include <QRadialGradient>
#include <QStyle>
#include <QStyleOptionFocusRect>

LedToggle::LedToggle(const QString& objectName, const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setObjectName(objectName);
    setText(text);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LedToggle::setLitColour(const QColor& c)
{
    m_lit = c;
    update();
}

void LedToggle::setUnlitColour(const QColor& c)
{
    m_unlit = c;
    update();
}

int LedToggle::lampSize() const
{
    return fontMetrics().height() - 1;
}

QSize LedToggle::sizeHint() const
{
    const QFontMetrics fm(font());
    const int textWidth = text().isEmpty() ? 0 : fm.horizontalAdvance(text()) + 6;
    return {lampSize() + 4 + textWidth, fm.height() + 6};
}

void LedToggle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = lampSize();
    const QRectF lamp(1.5, (height() - d) / 2.0, d, d);
    QColor base = isChecked() ? m_lit : m_unlit.isValid() ? m_unlit : m_lit.darker(350);
    if (!isEnabled())
        base = isChecked() ? m_lit.darker(130) : palette().color(QPalette::Disabled, QPalette::Button).darker(150);
    QRadialGradient g(lamp.center() - QPointF(d / 5.0, d / 5.0), d * 0.7);
    g.setColorAt(0, isChecked() ? base.lighter(170) : base.lighter(140));
    g.setColorAt(1, base);
    p.setBrush(g);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.drawEllipse(lamp);

    if (text().isEmpty())
        return;
    const QRect textRect(d + 7, 0, width() - d - 7, height());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text());
    if (hasFocus()) {
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = p.boundingRect(textRect, Qt::AlignVCenter | Qt::AlignLeft, text()).adjusted(-2, 0, 2, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
    }
}
