#pragma once
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A group box of radio buttons in `columns` columns, one item chosen at a
// time; where the window is too narrow for them, the rows wrap to half as
// many columns (at least). Item i's button is named "<group name>_<i>".
// Only a click by the user reports itemClicked; setting the index by
// program reports nothing.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& objectName, const QString& title, const QStringList& items, int columns,
               QWidget* parent = nullptr);

    int count() const { return m_items.size(); }
    QRadioButton* item(int i) const { return m_items.at(i); }
    int itemIndex() const;
    void setItemIndex(int i);

signals:
    void itemClicked(int index);

private:
    QButtonGroup* m_group;
    QList<QRadioButton*> m_items;
};
