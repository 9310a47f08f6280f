#include "gui/common/InputSafety.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

void makeSafe(QWidget* w)
{
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
        spin->setKeyboardTracking(false);
    // Wheel focus would let a passing wheel take the focus and then the value.
    if (w->focusPolicy() == Qt::WheelFocus)
        w->setFocusPolicy(Qt::StrongFocus);
}

// The scroll area whose panel holds `w` and can move the way the wheel
// turns: panels nest (a window's own pane inside the frame's scrolling
// wrapper), and the inner one may have nothing left to scroll.
QAbstractScrollArea* panelOf(QWidget* w, bool vertical)
{
    QAbstractScrollArea* nearest = nullptr;
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(p); area && area->viewport()->isAncestorOf(w)) {
            const QScrollBar* bar = vertical ? area->verticalScrollBar() : area->horizontalScrollBar();
            if (bar && bar->maximum() > bar->minimum())
                return area;
            if (!nearest)
                nearest = area;
        }
        if (p->isWindow())
            break;
    }
    return nearest;
}

bool focusedWithin(const QWidget* w)
{
    if (w->hasFocus())
        return true;
    const QWidget* f = QApplication::focusWidget();
    return f && w->isAncestorOf(f) && f->window()->isActiveWindow();
}

} // namespace

InputSafety::InputSafety(QObject* parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

InputSafety::~InputSafety()
{
    qApp->removeEventFilter(this);
}

bool InputSafety::isValueControl(const QWidget* widget)
{
    if (!widget || qobject_cast<const QScrollBar*>(widget))
        return false;
    return qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget);
}

bool InputSafety::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FocusIn:
    case QEvent::KeyPress: {
        // Polish comes before a control is first shown; a key or focus can
        // reach one that was never shown (a test, a hidden page).
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && isValueControl(w))
            makeSafe(w);
        break;
    }
    case QEvent::Wheel: {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && isValueControl(w) && !focusedWithin(w)) {
            // The panel behind scrolls instead. Handed over explicitly: Qt
            // passes an ignored wheel on to the parent only when it came
            // from the window system.
            auto* wheel = static_cast<QWheelEvent*>(event);
            const QPoint turn = wheel->angleDelta();
            if (QAbstractScrollArea* area = panelOf(w, qAbs(turn.y()) >= qAbs(turn.x()))) {
                QWidget* viewport = area->viewport();
                const QPointF global = wheel->globalPosition();
                QWheelEvent forward(viewport->mapFromGlobal(global), global, wheel->pixelDelta(),
                                    wheel->angleDelta(), wheel->buttons(), wheel->modifiers(), wheel->phase(),
                                    wheel->inverted(), wheel->source());
                QCoreApplication::sendEvent(viewport, &forward);
            }
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
