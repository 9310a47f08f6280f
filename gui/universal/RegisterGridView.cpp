#include "gui/universal/RegisterGridView.h"
#include "gui/common/CellEdit.h"
#include "gui/common/CharValidator.h"
#include "gui/universal/RegisterGridModel.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

class RegisterCellDelegate : public QStyledItemDelegate {
public:
    explicit RegisterCellDelegate(RegisterGridView* view) : QStyledItemDelegate(view), m_view(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* e = new QLineEdit(parent);
        e->setMaxLength(2);
        e->setFrame(false);
        e->setAlignment(Qt::AlignCenter);
        e->setValidator(new CharValidator(CharValidator::Kind::Hex, e));
        emit m_view->editStarted(RegisterGridModel::registerOf(index));
        return e;
    }

private:
    RegisterGridView* m_view;
};

} // namespace

RegisterGridView::RegisterGridView(RegisterGridModel* model, QWidget* parent)
    : QTableView(parent), m_model(model)
{
    setModel(model);
    const QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(f);
    const QFontMetrics fm(f);
    const int rowHeight = fm.height() + 6;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setFixedWidth(fm.horizontalAdvance(QStringLiteral("WWW")));
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(4);
    horizontalHeader()->setDefaultSectionSize(fm.horizontalAdvance(QStringLiteral("WWWW")));
    horizontalHeader()->setHighlightSections(true);
    verticalHeader()->setHighlightSections(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setItemDelegate(new RegisterCellDelegate(this));
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
}

int RegisterGridView::naturalWidth() const
{
    return horizontalHeader()->defaultSectionSize() * 16 + verticalHeader()->width() + 2 * frameWidth() +
           style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
}

int RegisterGridView::naturalHeight(int rows) const
{
    return verticalHeader()->defaultSectionSize() * rows + horizontalHeader()->sizeHint().height() +
           2 * frameWidth() + 2;
}

void RegisterGridView::finishEdit()
{
    finishCellEdit(this);
}
