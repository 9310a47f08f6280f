#include "gui/memory/MemoryGridView.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// The hex cell editor: two characters, upper case; the ASCII cell follows
// while typing; arrows leave it at its edges.
class HexCellDelegate : public QStyledItemDelegate {
public:
    HexCellDelegate(MemoryGridView* view, MemoryGridModel* twin, tp::MemoryImage& image)
        : QStyledItemDelegate(view), m_view(view), m_twin(twin), m_image(image)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* e = new QLineEdit(parent);
        e->setMaxLength(2);
        e->setFrame(false);
        e->setAlignment(Qt::AlignCenter);
        const std::size_t a = MemoryGridModel::addressOf(index);
        QObject::connect(e, &QLineEdit::textEdited, e, [this, e, a](const QString& text) {
            const QString upper = text.toUpper();
            if (upper != text) {
                const int pos = e->cursorPosition();
                e->setText(upper);
                e->setCursorPosition(pos);
            }
            m_image.followEdit(a, upper.toStdString());
            m_twin->cellsChanged({a, a + 1});
        });
        return e;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const int k = key->key();
            if ((k == Qt::Key_Return || k == Qt::Key_Enter) && m_view->returnAdvances()) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
                return true;
            }
            const bool leaveLeft = k == Qt::Key_Left && editor->cursorPosition() == 0;
            const bool leaveRight = k == Qt::Key_Right && editor->cursorPosition() == editor->text().size();
            if (leaveLeft || leaveRight || k == Qt::Key_Up || k == Qt::Key_Down) {
                QModelIndex cur = m_view->currentIndex();
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                int row = cur.row(), col = cur.column();
                if (leaveLeft)
                    col = qMax(0, col - 1);
                else if (leaveRight)
                    col = qMin(15, col + 1);
                else if (k == Qt::Key_Up)
                    row = qMax(0, row - 1);
                else
                    row = qMin(m_view->model()->rowCount() - 1, row + 1);
                m_view->setCurrentIndex(m_view->model()->index(row, col));
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    MemoryGridView* m_view;
    MemoryGridModel* m_twin;
    tp::MemoryImage& m_image;
};

} // namespace

MemoryGridView::MemoryGridView(MemoryGridModel* model, MemoryGridModel* twin, tp::MemoryImage& image,
                               QWidget* parent)
    : QTableView(parent), m_model(model), m_twin(twin), m_image(image)
{
    setModel(model);
    const bool hex = model->mode() == MemoryGridModel::Mode::Hex;
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setFont(f);
    QFontMetrics fm(f);
    const int rowHeight = fm.height() + 4;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(4);
    horizontalHeader()->setDefaultSectionSize(fm.horizontalAdvance(QString::fromLatin1(hex ? "WWW" : "WW")));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    if (hex) {
        verticalHeader()->setFixedWidth(fm.horizontalAdvance(QStringLiteral("FFFW")));
        setItemDelegate(new HexCellDelegate(this, twin, image));
        setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed);
    } else {
        verticalHeader()->hide();
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
}

int MemoryGridView::naturalWidth() const
{
    int w = horizontalHeader()->defaultSectionSize() * 16 + 2 * frameWidth() + 2;
    if (!verticalHeader()->isHidden())
        w += verticalHeader()->maximumWidth();
    return w + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void MemoryGridView::goToAddress(std::size_t address)
{
    const QModelIndex i = m_model->indexOf(address);
    setCurrentIndex(i);
    scrollTo(i, QAbstractItemView::PositionAtCenter);
}

void MemoryGridView::keyPressEvent(QKeyEvent* event)
{
    const bool ascii = m_model->mode() == MemoryGridModel::Mode::Ascii;
    const QString text = event->text();
    if (ascii && !text.isEmpty() && !(event->modifiers() & Qt::ControlModifier) && currentIndex().isValid()) {
        const char16_t u = text.at(0).unicode();
        const std::uint8_t code = u < 256 ? std::uint8_t(u) : std::uint8_t('?');
        if (code > 13) {
            const std::size_t a = MemoryGridModel::addressOf(currentIndex());
            if (m_image.typeAscii(a, code)) {
                m_model->cellsChanged({a, a + 1});
                m_twin->cellsChanged({a, a + 1});
            }
            // Typing runs on through the image like a text editor.
            if (a + 1 < m_image.size())
                setCurrentIndex(m_model->indexOf(a + 1));
            event->accept();
            return;
        }
        if (code == 8 || code == 13) {
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}
