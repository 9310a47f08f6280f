#include "tests/support/WindowChecks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <QtTest>

QStringList clippedControls(QWidget* window)
{
    QStringList out;
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (!w->isVisibleTo(window) || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QLabel*>(w);
        if (!control)
            continue;
        const QSize need = w->minimumSizeHint();
        if (w->width() < need.width() || w->height() < need.height())
            out.append(QStringLiteral("%1 is %2x%3, needs %4x%5")
                           .arg(w->objectName())
                           .arg(w->width())
                           .arg(w->height())
                           .arg(need.width())
                           .arg(need.height()));
        // Inside every ancestor up to the window.
        QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        for (QWidget* p = w->parentWidget(); p && p != window->parentWidget(); p = p->parentWidget()) {
            const QRect pr(p->mapTo(window, QPoint(0, 0)), p->size());
            if (!pr.contains(r)) {
                out.append(QStringLiteral("%1 reaches beyond %2").arg(w->objectName(), p->objectName()));
                break;
            }
        }
    }
    return out;
}

QStringList clippedSideways(QWidget* window)
{
    QStringList out = clippedControls(window);
    out.removeIf([](const QString& s) { return s.endsWith(QLatin1String("reaches beyond qt_scrollarea_viewport")); });
    for (QScrollArea* scroll : window->findChildren<QScrollArea*>())
        if (scroll->horizontalScrollBar()->isVisible())
            out << scroll->objectName() + QStringLiteral(" scrolls sideways");
    return out;
}

QStringList tabStops(QWidget* first, int limit)
{
    const auto named = [](QWidget* w) {
        while (w && (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))))
            w = w->parentWidget();
        return w ? w->objectName() : QStringLiteral("(unnamed)");
    };
    first->setFocus(Qt::TabFocusReason);
    QStringList out{named(QApplication::focusWidget())};
    // A grid may walk its cells first; it counts once.
    for (int i = 0; i < limit; ++i) {
        QWidget* now = QApplication::focusWidget();
        if (!now)
            break;
        QTest::keyClick(now, Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        if (!next || named(next) == out.first())
            break;
        if (named(next) != out.last())
            out << named(next);
    }
    return out;
}

QStringList tabChain(QWidget* window)
{
    QStringList chain;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        // Qt's own parts of a control (a spin box's line edit) belong to it.
        if (window->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) &&
            w->isEnabled() && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            chain << w->objectName();
    return chain;
}

void saveShot(QWidget* window, const QString& name)
{
    const QString dir = qEnvironmentVariable("TALLYPORT_SHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
