#pragma once

class FlowLayout;
class QWidget;

// Fills `window` with a frameless, resizable scroll area and returns the
// widget to build the window's controls on. The window can then be made
// smaller than its controls (tiled beside another) and stays usable: what
// does not fit scrolls.
QWidget* addScrollingContent(QWidget* window);

// The same scroll area with the window's groups flowing in rows: side by
// side at full width, wrapping under each other as the window narrows, so
// only the height ever scrolls.
FlowLayout* addFlowingContent(QWidget* window, int spacing = 8);
