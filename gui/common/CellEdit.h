#pragma once
#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QLineEdit>

// Ends a cell edit in progress in `view`, keeping what was typed: the same
// as leaving the cell, for operations started from the keyboard while the
// editor still has the focus.
inline void finishCellEdit(QAbstractItemView* view)
{
    QAbstractItemDelegate* delegate = view->itemDelegateForIndex(view->currentIndex());
    if (!delegate)
        return;
    // Cell editors are line edits placed on the viewport.
    for (QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        if (!editor->isVisible())
            continue;
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        return;
    }
}
