#pragma once
#include <QObject>

// For a window's destructor: once its own members are gone, its controls
// still live until QWidget deletes them, and a control losing the focus or
// its model on the way out would call back into the half-destroyed window.
// This cuts every connection from the window's descendants to it and takes
// it out of their event filters.
inline void detachChildren(QObject* owner)
{
    for (QObject* child : owner->findChildren<QObject*>()) {
        QObject::disconnect(child, nullptr, owner, nullptr);
        child->removeEventFilter(owner);
    }
}
