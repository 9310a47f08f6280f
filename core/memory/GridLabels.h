#pragma once
#include <cstddef>
#include <string>

namespace tp {

// Labels and click addresses of the hex grid (label column 0, byte columns
// 1 to 16) and the ASCII grid (byte columns 0 to 15); data rows count from 1.
class GridLabels {
public:
    // Label of data row r: r - 1 in hex without leading zeros ("0", "7F", "FFF").
    static std::string rowLabel(std::size_t row);
    // Label over byte position p (0 to 15): "0" to "F".
    static std::string columnLabel(std::size_t position);

    // Address of a click at (row, column) in either grid.
    static std::size_t hexGridAddress(std::size_t row, std::size_t column) { return (row - 1) * 16 + (column - 1); }
    static std::size_t textGridAddress(std::size_t row, std::size_t column) { return (row - 1) * 16 + column; }
    // Where an address lies in the hex grid.
    static std::size_t hexGridRow(std::size_t address) { return address / 16 + 1; }
    static std::size_t hexGridColumn(std::size_t address) { return address % 16 + 1; }

    // The address label's text: IntToHex(address, digits), digits being
    // addressDigits() of the window kind.
    static std::string addressLabel(std::size_t address, int digits);
};

} // namespace tp
