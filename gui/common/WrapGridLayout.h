#pragma once
#include <QLayout>
#include <QList>

// Items in rows of `columns` equal cells, row by row, as wide as the widest
// item wants; where the width does not take that many, fewer columns (a
// divisor of `columns` where one fits, so the rows stay even), down to
// `minimumColumns`, and the height grows with the rows. So a window made of
// such rows can share a tiled frame with another and still show everything.
// The minimum size is that of the narrowest arrangement.
class WrapGridLayout : public QLayout {
public:
    WrapGridLayout(int columns, int minimumColumns, QWidget* parent = nullptr);
    ~WrapGridLayout() override;

    void setHorizontalSpacing(int px) { m_hSpacing = px; invalidate(); }
    void setVerticalSpacing(int px) { m_vSpacing = px; invalidate(); }
    int columns() const { return m_columns; }
    int minimumColumns() const { return m_minColumns; }
    // The columns used at a width (the layout's whole width, margins included).
    int columnsFor(int width) const;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(m_items.size()); }
    QLayoutItem* itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int cellWidthHint() const;
    int cellWidthMinimum() const;
    int widthFor(int columns, int cellWidth) const;
    // Height of the rows at `columns` columns of `cellWidth`, margins included.
    int height(int columns, int cellWidth, bool minimum) const;
    int itemHeight(QLayoutItem* item, int cellWidth, bool minimum) const;
    int cellWidthAt(int width, int columns) const;

    QList<QLayoutItem*> m_items;
    int m_columns;
    int m_minColumns;
    int m_hSpacing = 12;
    int m_vSpacing = 4;
};
