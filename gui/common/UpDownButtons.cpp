#include "gui/common/UpDownButtons.h"
#include "gui/common/Guarded.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Arrows share the height of the field they stand beside: they may be
// smaller than a tool button likes to be.
class ArrowButton : public QToolButton {
public:
    using QToolButton::QToolButton;
    QSize sizeHint() const override { return {16, 11}; }
    QSize minimumSizeHint() const override { return {8, 6}; }
};

} // namespace

UpDownButtons::UpDownButtons(const QString& objectName, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_value(minimum)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    auto make = [this, &objectName](Qt::ArrowType arrow, const char* suffix) {
        auto* b = new ArrowButton(this);
        b->setObjectName(objectName + QLatin1String(suffix));
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        return b;
    };
    m_up = make(Qt::UpArrow, "Up");
    m_down = make(Qt::DownArrow, "Down");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, guarded(this, &UpDownButtons::stepUp));
    connect(m_down, &QToolButton::clicked, this, guarded(this, &UpDownButtons::stepDown));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void UpDownButtons::setValueQuietly(int value)
{
    m_value = std::clamp(value, m_min, m_max);
}

void UpDownButtons::stepUp()
{
    step(1);
}

void UpDownButtons::stepDown()
{
    step(-1);
}

void UpDownButtons::step(int by)
{
    const int v = std::clamp(m_value + by, m_min, m_max);
    if (v == m_value)
        return;
    m_value = v;
    emit valueChanged(v);
}

void UpDownButtons::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        guard([this] { stepUp(); });
    else if (event->key() == Qt::Key_Down)
        guard([this] { stepDown(); });
    else
        QWidget::keyPressEvent(event);
}

void UpDownButtons::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void UpDownButtons::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void UpDownButtons::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    // The arrows take no focus themselves: the frame shows where the keys go.
    QPainter p(this);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

QSize UpDownButtons::sizeHint() const
{
    const int w = fontMetrics().height() + 6;
    return {w, 2 * w - 4};
}
