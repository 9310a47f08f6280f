#include "gui/common/TabOrder.h"

#include <QGridLayout>
#include <QLayout>
#include <QList>
#include <QScrollArea>
#include <QSplitter>
#include <QWidget>

#include <algorithm>

namespace {

void collect(QLayout* layout, QList<QWidget*>& out);

void collectWidget(QWidget* w, QList<QWidget*>& out)
{
    if (w->focusPolicy() & Qt::TabFocus)
        out.append(w);
    if (w->layout())
        collect(w->layout(), out);
    else if (auto* area = qobject_cast<QScrollArea*>(w); area && area->widget())
        collectWidget(area->widget(), out);
    else if (auto* splitter = qobject_cast<QSplitter*>(w))
        for (int i = 0; i < splitter->count(); ++i)
            collectWidget(splitter->widget(i), out);
}

void collect(QLayout* layout, QList<QWidget*>& out)
{
    QList<int> order;
    for (int i = 0; i < layout->count(); ++i)
        order.append(i);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        // Row by row; an item that spans rows comes after the last of them
        // (buttons beside two spin boxes follow both).
        auto cell = [grid](int i) {
            int row, col, rows, cols;
            grid->getItemPosition(i, &row, &col, &rows, &cols);
            return std::pair(row + rows - 1, col);
        };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cell(a) < cell(b); });
    }
    for (int i : order) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* w = item->widget())
            collectWidget(w, out);
        else if (QLayout* l = item->layout())
            collect(l, out);
    }
}

} // namespace

void orderTabsByLayout(QWidget* root)
{
    QList<QWidget*> chain;
    if (root->layout())
        collect(root->layout(), chain);
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}
