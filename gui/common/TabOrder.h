#pragma once

class QWidget;

// Chains the focusable controls under `root` in the order its layouts show
// them: box layouts item by item, grids row by row, scroll areas and
// splitters through their contents. Windows that build their parts out of
// order (shared builders, columns) get a tab order that follows the eye.
void orderTabsByLayout(QWidget* root);
