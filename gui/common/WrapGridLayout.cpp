#include "gui/common/WrapGridLayout.h"

#include <QWidget>

#include <algorithm>

WrapGridLayout::WrapGridLayout(int columns, int minimumColumns, QWidget* parent)
    : QLayout(parent), m_columns(std::max(1, columns)), m_minColumns(std::clamp(minimumColumns, 1, m_columns))
{
}

WrapGridLayout::~WrapGridLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void WrapGridLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem* WrapGridLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

int WrapGridLayout::cellWidthHint() const
{
    int w = 0;
    for (QLayoutItem* item : m_items)
        if (!item->isEmpty())
            w = std::max(w, item->sizeHint().width());
    return w;
}

int WrapGridLayout::cellWidthMinimum() const
{
    int w = 0;
    for (QLayoutItem* item : m_items)
        if (!item->isEmpty())
            w = std::max(w, item->minimumSize().width());
    return w;
}

int WrapGridLayout::widthFor(int columns, int cellWidth) const
{
    const QMargins m = contentsMargins();
    return m.left() + m.right() + columns * cellWidth + (columns - 1) * m_hSpacing;
}

int WrapGridLayout::columnsFor(int width) const
{
    const int cell = cellWidthHint();
    for (int c = m_columns; c > m_minColumns; --c)
        if (m_columns % c == 0 && widthFor(c, cell) <= width)
            return c;
    return m_minColumns;
}

int WrapGridLayout::cellWidthAt(int width, int columns) const
{
    const QMargins m = contentsMargins();
    const int inner = width - m.left() - m.right() - (columns - 1) * m_hSpacing;
    return std::max(cellWidthMinimum(), inner / columns);
}

int WrapGridLayout::itemHeight(QLayoutItem* item, int cellWidth, bool minimum) const
{
    if (minimum)
        return item->minimumSize().height();
    if (item->hasHeightForWidth())
        return item->heightForWidth(cellWidth);
    return std::max(item->sizeHint().height(), item->minimumSize().height());
}

int WrapGridLayout::height(int columns, int cellWidth, bool minimum) const
{
    const QMargins m = contentsMargins();
    int total = m.top() + m.bottom();
    int rows = 0;
    QList<QLayoutItem*> shown;
    for (QLayoutItem* item : m_items)
        if (!item->isEmpty())
            shown.append(item);
    for (qsizetype first = 0; first < shown.size(); first += columns) {
        int row = 0;
        for (qsizetype i = first; i < std::min(first + columns, shown.size()); ++i)
            row = std::max(row, itemHeight(shown[i], cellWidth, minimum));
        total += row;
        ++rows;
    }
    return total + std::max(0, rows - 1) * m_vSpacing;
}

int WrapGridLayout::heightForWidth(int width) const
{
    const int columns = columnsFor(width);
    return height(columns, cellWidthAt(width, columns), false);
}

QSize WrapGridLayout::sizeHint() const
{
    const int cell = cellWidthHint();
    return {widthFor(m_columns, cell), height(m_columns, cell, false)};
}

QSize WrapGridLayout::minimumSize() const
{
    // The narrowest arrangement, and tall enough for it at any width.
    const int cell = cellWidthMinimum();
    return {widthFor(m_minColumns, cell),
            std::max(height(m_minColumns, cell, true), height(m_minColumns, cellWidthHint(), false))};
}

void WrapGridLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect r = rect.marginsRemoved(contentsMargins());
    const int columns = columnsFor(rect.width());
    const int cell = cellWidthAt(rect.width(), columns);
    QList<QLayoutItem*> shown;
    for (QLayoutItem* item : m_items)
        if (!item->isEmpty())
            shown.append(item);
    int y = r.top();
    for (qsizetype first = 0; first < shown.size(); first += columns) {
        const qsizetype end = std::min(first + columns, shown.size());
        int row = 0;
        for (qsizetype i = first; i < end; ++i)
            row = std::max(row, itemHeight(shown[i], cell, false));
        for (qsizetype i = first; i < end; ++i) {
            const int x = r.left() + static_cast<int>(i - first) * (cell + m_hSpacing);
            shown[i]->setGeometry(QRect(x, y, cell, row));
        }
        y += row + m_vSpacing;
    }
}
