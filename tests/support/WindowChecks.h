#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// Controls of a shown window that do not fit: narrower or lower than they
// need (their minimum size hint), or reaching beyond their parent's visible
// area. Empty when the layout is tidy. Each entry names the control.
QStringList clippedControls(QWidget* window);
// As clippedControls for a window that may scroll up and down: controls
// below the fold do not count, a scroll area that scrolls sideways does.
QStringList clippedSideways(QWidget* window);

// The controls Tab visits, starting at `first` (which gets the focus) and
// ending when the focus comes back to it: the object names, each that of
// the nearest named control (a spin box's, not its inner field's). The
// window must be active. A grid whose cells Tab walks first counts once.
// Stops after `limit` key presses.
QStringList tabStops(QWidget* first, int limit = 200);

// Object names of the controls Tab reaches in a window (enabled, visible,
// taking focus by Tab; not Qt's own parts of a control), in the order of
// its focus chain.
QStringList tabChain(QWidget* window);

// Saves window->grab() as <dir>/<name>.png when TALLYPORT_SHOTS names a
// folder, so the layout can be looked at; does nothing otherwise.
void saveShot(QWidget* window, const QString& name);
