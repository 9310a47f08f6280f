#include "gui/common/RadioGroup.h"
#include "gui/common/WrapGridLayout.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>

RadioGroup::RadioGroup(const QString& objectName, const QString& title, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this))
{
    setObjectName(objectName);
    // Rows of `columns` items, wrapped to half as many where the window is
    // narrow (two windows tiled side by side).
    auto* grid = new WrapGridLayout(columns, (columns + 1) / 2, this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(objectName + QLatin1Char('_') + QString::number(i));
        m_group->addButton(b, i);
        grid->addWidget(b);
        m_items.append(b);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int i)
{
    const QSignalBlocker block(m_group);
    if (i >= 0 && i < m_items.size())
        m_items[i]->setChecked(true);
}
