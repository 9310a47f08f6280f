#include "core/universal/MessageTable.h"


namespace tp::expert {

MessageTable::MessageTable()
{
    blank();
}

MessageTable::Row& MessageTable::row(int i)
{
    return m_rows.at(static_cast<std::size_t>(i));
}

const MessageTable::Row& MessageTable::row(int i) const
{
    return m_rows.at(static_cast<std::size_t>(i));
}

const std::string& MessageTable::cell(int r, int column) const
{
    return row(r).at(static_cast<std::size_t>(column));
}

void MessageTable::setCell(int r, int column, std::string text)
{
    row(r).at(static_cast<std::size_t>(column)) = std::move(text);
}

bool MessageTable::isEmptyRow(int r) const
{
    const Row& x = row(r);
    for (int c = Address; c < ColumnCount; ++c)
        if (!x[static_cast<std::size_t>(c)].empty())
            return false;
    return true;
}

TGridRecord MessageTable::record(int r) const
{
    const Row& x = row(r);
    return {x[Address], x[RW], x[Data], x[Stop], x[Delay], x[Notes]};
}

void MessageTable::setRecord(int r, const TGridRecord& rec)
{
    Row& x = row(r);
    x[Address] = rec.address;
    x[RW] = rec.rw;
    x[Data] = rec.data;
    x[Stop] = rec.stop;
    x[Delay] = rec.delay;
    x[Notes] = rec.notes;
}

void MessageTable::renumber()
{
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i][Number] = std::to_string(i + 1);
        m_rows[i][Start] = kStartMark;
    }
}

void MessageTable::blank()
{
    m_rows.assign(kBlankRows, Row{});
    renumber();
}

void MessageTable::resetToOneRow()
{
    m_rows.assign(1, Row{});
    renumber();
}

int MessageTable::appendRow()
{
    m_rows.emplace_back();
    const int i = rowCount() - 1;
    m_rows.back()[Number] = std::to_string(i + 1);
    m_rows.back()[Start] = kStartMark;
    return i;
}

void MessageTable::insertRow(int active)
{
    row(active); // range check
    m_rows.insert(m_rows.begin() + active + 1, Row{});
    renumber();
    m_modified = true;
}

bool MessageTable::deleteRow(int active)
{
    row(active);
    if (m_rows.size() <= 1)
        return false;
    m_rows.erase(m_rows.begin() + active);
    renumber();
    m_modified = true;
    return true;
}

void MessageTable::clearRow(int active)
{
    Row& x = row(active);
    for (int c = Start; c < ColumnCount; ++c)
        x[static_cast<std::size_t>(c)].clear();
}

void MessageTable::copyRow(int active, TGridRecord& clipboard)
{
    clipboard = record(active);
    m_modified = true;
}

void MessageTable::pasteRow(int active, const TGridRecord& clipboard)
{
    setRecord(active, clipboard);
    m_modified = true;
}

void MessageTable::compact()
{
    for (int r = rowCount() - 1; r >= 0; --r)
        if (m_rows.size() > 1 && isEmptyRow(r))
            m_rows.erase(m_rows.begin() + r);
    renumber();
    m_modified = true;
}

} // namespace tp::expert
