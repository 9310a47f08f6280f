#pragma once
#include <string>
#include <vector>

class QPrinter;

// Prints report lines on `printer` in a fixed-pitch font, as many lines a
// page as fit, the column heading repeated on every later page and the
// page number at the foot of each page.
void printReport(QPrinter& printer, const std::vector<std::string>& lines);
