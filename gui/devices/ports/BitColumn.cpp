#include "gui/devices/ports/BitColumn.h"
#include "gui/common/HexField.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kRowSpacing = 2;

// The box's size with the largest of the captions.
QSize largestWith(QAbstractButton* b, const QStringList& captions)
{
    const QString shown = b->text();
    QSize s(b->minimumWidth(), 0);
    for (const QString& c : captions) {
        b->setText(c);
        s = s.expandedTo(b->sizeHint());
    }
    b->setText(shown);
    return s;
}

} // namespace

BitColumn::BitColumn(const QString& panelName, const QStringList& labels, const QList<BitBoxRow::Box>& boxes,
                     const BitBoxRow::Style& style, QWidget* parent)
    : QWidget(parent)
{
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(4);
    auto* labelColumn = new QVBoxLayout;
    labelColumn->setContentsMargins(0, 2, 0, 2);
    labelColumn->setSpacing(kRowSpacing);
    h->addLayout(labelColumn);

    m_panel = new QWidget(this);
    m_panel->setObjectName(panelName);
    auto* boxColumn = new QVBoxLayout(m_panel);
    boxColumn->setContentsMargins(0, 2, 0, 2);
    boxColumn->setSpacing(kRowSpacing);
    BitBoxRow::Style s = style;
    s.orientation = Qt::Vertical;
    m_row = new BitBoxRow(m_panel, boxes, s);
    boxColumn->addStretch(1);
    h->addWidget(m_panel);
    h->addStretch(1);

    for (int i = 0; i < m_row->count(); ++i) {
        QAbstractButton* b = m_row->button(i);
        b->ensurePolished(); // measured with the font and style it is shown with
        const QSize size = largestWith(
            b, {QString::fromStdString(boxes[i].caption.one), QString::fromStdString(boxes[i].caption.zero)});
        b->setMinimumWidth(size.width());
        auto* l = new QLabel(i < labels.size() ? labels[i] : QString(), this);
        l->setObjectName(QStringLiteral("lbl") + QString(l->text()).remove(QLatin1Char('.')));
        // Each label as high as its box, so the two columns stay in line.
        l->setFixedHeight(size.height());
        l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        labelColumn->addWidget(l);
        m_labels.append(l);
    }
    labelColumn->addStretch(1);
}

void BitColumn::allowCaption(const QString& caption)
{
    for (int i = 0; i < m_row->count(); ++i) {
        QAbstractButton* b = m_row->button(i);
        b->ensurePolished(); // measured with the font and style it is shown with
        b->setMinimumWidth(largestWith(b, {caption}).width());
    }
}
