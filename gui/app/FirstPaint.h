#pragma once
class QWidget;

// For the start-up benchmark: once `w` has painted its first frame, prints
// the monotonic clock (nanoseconds, as CLOCK_MONOTONIC counts them across
// processes) and ends the program.
void exitAfterFirstPaint(QWidget* w);
