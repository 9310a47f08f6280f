#pragma once
#include <QPoint>
#include <QRect>
#include <QVariant>
#include <QWidget>

// Places a top-level window over the middle of another the first time it
// shows; afterwards it stays where the user put it. Without this, systems
// that leave placement to the program put it in a corner over the menus.
inline void centreOnFirstShow(QWidget* window, const QWidget* over)
{
    if (!over || window->property("placedOnce").toBool())
        return;
    // A size the window chose for itself stands, as long as its content fits.
    if (window->testAttribute(Qt::WA_Resized))
        window->resize(window->size().expandedTo(window->sizeHint()));
    else
        window->adjustSize();
    const QRect area = over->window()->frameGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    window->setProperty("placedOnce", true);
}
