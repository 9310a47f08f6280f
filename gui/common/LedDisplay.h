#pragma once

class HexField;

// Turns a hex field into a read-only two-digit LED display: lit digits on a
// dark face, for values the window only shows.
void showAsLedDisplay(HexField* field);
