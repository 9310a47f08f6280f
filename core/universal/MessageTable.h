#pragma once
#include "core/universal/GridRecord.h"

#include <array>
#include <string>
#include <vector>

namespace tp::expert {

// The expert mode's message table: numbered rows of eight text cells. Rows
// are indexed from 0 here; the number column shows index + 1.
class MessageTable {
public:
    enum Column { Number, Start, Address, RW, Data, Stop, Delay, Notes, ColumnCount };
    static constexpr int kBlankRows = 32;
    static constexpr const char* kStartMark = "ST";

    MessageTable();

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const std::string& cell(int row, int column) const;
    void setCell(int row, int column, std::string text);
    // No message in it: Address through Notes are all empty.
    bool isEmptyRow(int row) const;

    TGridRecord record(int row) const;
    void setRecord(int row, const TGridRecord& r);

    // The operations of the Edit menu; `active` is the active row.
    void insertRow(int active);
    bool deleteRow(int active); // false: the only row stays
    void clearRow(int active);
    void copyRow(int active, TGridRecord& clipboard);
    void pasteRow(int active, const TGridRecord& clipboard);
    void compact();

    // 32 empty numbered rows; the flag is left alone.
    void blank();
    // One empty numbered row, for a file about to be read in.
    void resetToOneRow();
    // Appends an empty numbered row and returns its index.
    int appendRow();
    // Numbers every row from 1 and puts the start mark back into each.
    void renumber();

    bool modified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }

private:
    using Row = std::array<std::string, ColumnCount>;
    Row& row(int i);
    const Row& row(int i) const;

    std::vector<Row> m_rows;
    bool m_modified = false;
};

} // namespace tp::expert
