#include "gui/app/StatusLine.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

QColor toQColor(tp::Rgb rgb, const QPalette& palette)
{
    if (rgb == tp::colour::ButtonFace)
        return palette.color(QPalette::Button);
    return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u));
}

class TStatusPanel : public QWidget {
public:
    TStatusPanel(TStatusLine* line, int index) : QWidget(line), m_line(line), m_index(index)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    tp::StatusMessage message;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QRect r = rect();
        const QPalette& pal = palette();
        if (message.gradientTo) {
            QLinearGradient g(r.topLeft(), r.topRight());
            g.setColorAt(0, toQColor(message.background, pal));
            g.setColorAt(1, toQColor(*message.gradientTo, pal));
            p.fillRect(r, g);
        } else {
            p.fillRect(r, toQColor(message.background, pal));
        }
        p.setPen(pal.color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        QFont f = font();
        f.setBold(message.bold);
        p.setFont(f);
        p.setPen(toQColor(message.textColour, pal));
        const int align = Qt::AlignVCenter |
            (message.align == tp::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft);
        p.drawText(r.adjusted(4, 0, -4, 0), align, QString::fromStdString(message.text));
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        emit m_line->panelDoubleClicked(m_index);
        e->accept();
    }

private:
    TStatusLine* m_line;
    int m_index;
};

TStatusLine::TStatusLine(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("pnlStatusBar"));
    setSizeGripEnabled(false);
    const int widths[kPanels] = {0, 0, 160, 80, 80, 90};
    for (int i = 0; i < kPanels; ++i) {
        auto* p = new TStatusPanel(this, i);
        p->setObjectName(QStringLiteral("pnlStatus%1").arg(i));
        p->setMinimumHeight(20);
        if (i == 0)
            addWidget(p, 1);
        else if (i == 1)
            p->setFixedWidth(0); // no role: kept only so the indexes stay put
        else {
            p->setFixedWidth(widths[i]);
            addPermanentWidget(p);
        }
        m_panels.append(p);
    }
    tp::StatusMessage supply;
    supply.background = tp::colour::ButtonFace;
    supply.textColour = tp::colour::Grey;
    supply.align = tp::Align::Centre;
    supply.bold = true;
    supply.text = "3.3V off";
    setPanel(3, supply);
    supply.text = "5.0V off";
    setPanel(4, supply);
}

void TStatusLine::setPanel(int index, const tp::StatusMessage& message)
{
    TStatusPanel* p = m_panels.at(index);
    p->message = message;
    p->setToolTip(QString());
    p->update();
}

const tp::StatusMessage& TStatusLine::panel(int index) const
{
    return m_panels.at(index)->message;
}

QWidget* TStatusLine::panelWidget(int index) const
{
    return m_panels.at(index);
}

void TStatusLine::repaintNow()
{
    for (TStatusPanel* p : m_panels)
        if (p->isVisible())
            p->repaint();
}
