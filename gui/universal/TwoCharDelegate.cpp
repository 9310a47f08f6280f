#include "gui/universal/TwoCharDelegate.h"

#include <QLineEdit>

TwoCharDelegate::TwoCharDelegate(CharValidator::Kind kind, QObject* parent)
    : QStyledItemDelegate(parent), m_kind(kind)
{
}

QWidget* TwoCharDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(2);
    edit->setAlignment(Qt::AlignCenter);
    edit->setValidator(new CharValidator(m_kind, edit));
    auto* self = const_cast<TwoCharDelegate*>(this);
    connect(edit, &QLineEdit::textEdited, self, [self, edit] { emit self->commitData(edit); });
    return edit;
}
