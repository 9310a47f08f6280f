#pragma once
#include "gui/common/CharValidator.h"

#include <QStyledItemDelegate>

// Cell editor of the byte and sequence rows: two characters of one kind.
// What is typed reaches the cell at once, so closing a window never loses
// a cell still being edited.
class TwoCharDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TwoCharDelegate(CharValidator::Kind kind, QObject* parent = nullptr);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

private:
    CharValidator::Kind m_kind;
};
