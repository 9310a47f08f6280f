#include "gui/common/UpDown.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Half the height of a text line each, like a spin box's arrows.
class ArrowButton : public QToolButton {
public:
    using QToolButton::QToolButton;
    QSize sizeHint() const override
    {
        const int h = fontMetrics().height();
        return {h + 2, h};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

QToolButton* arrow(QWidget* parent, const QString& name, Qt::ArrowType type)
{
    auto* b = new ArrowButton(parent);
    b->setObjectName(name);
    b->setArrowType(type);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return b;
}
} // namespace

UpDown::UpDown(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_up = arrow(this, objectName + QStringLiteral("Up"), Qt::UpArrow);
    m_down = arrow(this, objectName + QStringLiteral("Down"), Qt::DownArrow);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(1, 1, 1, 1);
    v->setSpacing(0);
    v->addWidget(m_up);
    v->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, &UpDown::upClicked);
    connect(m_down, &QToolButton::clicked, this, &UpDown::downClicked);
}

QSize UpDown::sizeHint() const
{
    const int h = fontMetrics().height();
    return {h + 4, 2 * h + 2};
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        emit upClicked();
    else if (event->key() == Qt::Key_Down)
        emit downClicked();
    else
        QWidget::keyPressEvent(event);
}

void UpDown::paintEvent(QPaintEvent*)
{
    if (!hasFocus())
        return;
    QPainter p(this);
    QStyleOptionFocusRect o;
    o.initFrom(this);
    o.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
}

void UpDown::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void UpDown::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}
