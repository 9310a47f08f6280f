#include "gui/common/KeyFilter.h"
#include "core/common/HexText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

HexKeyFilter::HexKeyFilter(QWidget* window) : QObject(window), m_window(window)
{
    // On the application, so controls created later are covered too.
    qApp->installEventFilter(this);
}

void HexKeyFilter::exempt(QWidget* widget)
{
    m_exempt.append(widget);
}

bool HexKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_active || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || (w != m_window && !m_window->isAncestorOf(w)))
        return false;
    for (const QPointer<QWidget>& e : std::as_const(m_exempt))
        if (e && (e == w || e->isAncestorOf(w)))
            return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::ControlModifier)
        return false;
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Escape)
        return false;
    const QChar c = text.at(0);
    const bool discard = !(c.unicode() < 128 && tp::hexKeyAllowed(static_cast<char>(c.unicode())));
    if (discard && m_beep && event->type() == QEvent::KeyPress)
        QApplication::beep();
    return discard;
}
