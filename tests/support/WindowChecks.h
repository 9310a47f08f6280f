#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// Controls of a shown window that do not fit: narrower or lower than they
// need (their minimum size hint), or reaching beyond their parent's visible
// area. Empty when the layout is tidy. Each entry names the control.
QStringList clippedControls(QWidget* window);

// Object names of the controls Tab reaches in a window (enabled, visible,
// taking focus by Tab; not Qt's own parts of a control), in the order of
// its focus chain.
QStringList tabChain(QWidget* window);

// Saves window->grab() as <dir>/<name>.png when TALLYPORT_SHOTS names a
// folder, so the layout can be looked at; does nothing otherwise.
void saveShot(QWidget* window, const QString& name);
