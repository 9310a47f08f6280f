#pragma once

class QWidget;

// Fills `window` with a frameless, resizable scroll area and returns the
// widget to build the window's controls on. The window can then be made
// smaller than its controls (tiled beside another) and stays usable: what
// does not fit scrolls.
QWidget* addScrollingContent(QWidget* window);
