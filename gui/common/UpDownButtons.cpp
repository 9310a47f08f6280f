#include "gui/common/UpDownButtons.h"
#include "gui/common/Guarded.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Half a spin box's height each: the pair stands as high as a text field.
class ArrowButton : public QToolButton {
public:
    using QToolButton::QToolButton;
    QSize sizeHint() const override { return {20, 13}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace

UpDownButtons::UpDownButtons(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 2); // room for the focus frame
    column->setSpacing(0);
    auto make = [&](Qt::ArrowType arrow, const QString& suffix) {
        auto* b = new ArrowButton(this);
        b->setObjectName(objectName + suffix);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        column->addWidget(b);
        return b;
    };
    m_up = make(Qt::UpArrow, QStringLiteral("Up"));
    m_down = make(Qt::DownArrow, QStringLiteral("Down"));
    connect(m_up, &QToolButton::clicked, this, &UpDownButtons::up);
    connect(m_down, &QToolButton::clicked, this, &UpDownButtons::down);
    // The pair takes the focus itself, so the arrow keys step it too.
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

UpDownButtons::UpDownButtons(const QString& objectName, int minimum, int maximum, QWidget* parent)
    : UpDownButtons(objectName, parent)
{
    m_ranged = true;
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    m_value = minimum;
    connect(this, &UpDownButtons::up, this, guarded([this] { step(1); }));
    connect(this, &UpDownButtons::down, this, guarded([this] { step(-1); }));
}

void UpDownButtons::setValueQuietly(int value)
{
    m_value = std::clamp(value, m_min, m_max);
}

void UpDownButtons::step(int by)
{
    const int v = std::clamp(m_value + by, m_min, m_max);
    if (v == m_value)
        return;
    m_value = v;
    emit valueChanged(v);
}

void UpDownButtons::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    QPainter p(this);
    QStyleOptionFocusRect o;
    o.initFrom(this);
    o.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
}

void UpDownButtons::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        emit up();
    else if (event->key() == Qt::Key_Down)
        emit down();
    else
        QWidget::keyPressEvent(event);
}
