#include "gui/memory/MemoryGridView.h"
#include "core/common/HexText.h"
#include "gui/common/CharValidator.h"
#include "gui/common/Guarded.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QPainter>
#include <QStaticText>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// Paints cells from the image with cached glyph runs, one per byte value:
// a 64 KB grid repaints in a few milliseconds instead of laying out text
// per cell.
class CellPainter : public QStyledItemDelegate {
public:
    CellPainter(QObject* parent, tp::MemoryImage& image, MemoryGridModel::Mode mode)
        : QStyledItemDelegate(parent), m_image(image), m_mode(mode)
    {
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const std::size_t a = MemoryGridModel::addressOf(index);
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            p->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        if (m_cache.isEmpty() || m_cacheFont != option.font)
            buildCache(option.font);
        const QStaticText* text = nullptr;
        QStaticText odd;
        if (m_mode == MemoryGridModel::Mode::Ascii) {
            text = &m_cache[static_cast<unsigned char>(m_image.asciiCell(a))];
        } else if (m_image.isPlain(a)) {
            text = &m_cache[256 + m_image.value(a)];
        } else {
            odd.setText(QString::fromStdString(m_image.cellText(a)));
            odd.prepare(QTransform(), option.font);
            text = &odd;
        }
        p->setFont(option.font);
        const QSizeF size = text->size();
        p->drawStaticText(QPointF(option.rect.x() + (option.rect.width() - size.width()) / 2,
                                  option.rect.y() + (option.rect.height() - size.height()) / 2),
                          *text);
        if (option.state & QStyle::State_HasFocus) {
            QPen pen(option.palette.color(QPalette::Highlight));
            pen.setStyle(Qt::DotLine);
            p->setPen(pen);
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }

private:
    void buildCache(const QFont& font) const
    {
        m_cache.resize(512);
        for (int v = 0; v < 256; ++v) {
            m_cache[v].setText(QString(QChar(v)));
            m_cache[256 + v].setText(QString::fromStdString(tp::intToHex(std::uint64_t(v), 2)));
        }
        for (QStaticText& t : m_cache) {
            t.setTextFormat(Qt::PlainText);
            t.prepare(QTransform(), font);
        }
        m_cacheFont = font;
    }

    tp::MemoryImage& m_image;
    MemoryGridModel::Mode m_mode;
    mutable QVector<QStaticText> m_cache; // ASCII glyphs 0..255, then "00".."FF"
    mutable QFont m_cacheFont;
};

// The hex cell editor: two characters, upper case; the ASCII cell follows
// while typing; arrows leave it at its edges.
class HexCellDelegate : public CellPainter {
public:
    HexCellDelegate(MemoryGridView* view, MemoryGridModel* twin, tp::MemoryImage& image)
        : CellPainter(view, image, MemoryGridModel::Mode::Hex), m_view(view), m_twin(twin), m_image(image)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* e = new QLineEdit(parent);
        e->setMaxLength(2);
        e->setFrame(false);
        e->setAlignment(Qt::AlignCenter);
        e->setValidator(new CharValidator(CharValidator::Kind::Upper, e));
        const std::size_t a = MemoryGridModel::addressOf(index);
        QObject::connect(e, &QLineEdit::textEdited, e, guarded([this, a](const QString& text) {
                             m_image.followEdit(a, text.toStdString());
                             m_twin->cellsChanged({a, a + 1});
                         }));
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
        return CellPainter::eventFilter(object, event);
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
    // Arrows move within the grid; Tab goes on to the next control instead
    // of walking up to 65536 cells.
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    if (hex) {
        verticalHeader()->setFixedWidth(fm.horizontalAdvance(QStringLiteral("FFFW")));
        setItemDelegate(new HexCellDelegate(this, twin, image));
        setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed);
    } else {
        verticalHeader()->hide();
        setItemDelegate(new CellPainter(this, image, MemoryGridModel::Mode::Ascii));
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
            guard([&] {
                if (m_image.typeAscii(a, code)) {
                    m_model->cellsChanged({a, a + 1});
                    m_twin->cellsChanged({a, a + 1});
                }
            });
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
