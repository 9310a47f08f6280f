#include "gui/common/BitBoxRow.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QSignalBlocker>

namespace {

// Re-enables the containers however the update ends.
class Busy {
public:
    explicit Busy(const QList<QPointer<QWidget>>& containers) : m_containers(containers)
    {
        for (auto& c : m_containers)
            if (c)
                c->setEnabled(false);
    }
    ~Busy()
    {
        for (auto& c : m_containers)
            if (c)
                c->setEnabled(true);
    }

private:
    QList<QPointer<QWidget>> m_containers;
};

} // namespace

BitBoxRow::BitBoxRow(QWidget* container, const QList<Box>& boxes, const Style& style)
    : QObject(container), m_boxes(boxes), m_style(style)
{
    auto* layout = qobject_cast<QBoxLayout*>(container->layout());
    if (!layout) {
        layout = new QBoxLayout(style.orientation == Qt::Horizontal ? QBoxLayout::LeftToRight
                                                                    : QBoxLayout::TopToBottom,
                                container);
        layout->setContentsMargins(4, 2, 4, 2);
    }
    for (int i = 0; i < m_boxes.size(); ++i) {
        const Box& b = m_boxes[i];
        QAbstractButton* button = nullptr;
        if (style.look == Look::Led)
            button = new LedToggle(b.name, QString(), container);
        else {
            button = new QCheckBox(container);
            button->setObjectName(b.name);
        }
        if (style.bold) {
            QFont f = button->font();
            f.setBold(true);
            button->setFont(f);
        }
        layout->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, guarded([this, i] { boxClicked(i); }));
        m_buttons.append(button);
    }
}

QList<BitBoxRow::Box> BitBoxRow::boxes(const QStringList& names, const tp::BitCaption& caption,
                                       const std::vector<std::uint8_t>& masks)
{
    QList<Box> out;
    for (int i = 0; i < names.size() && i < static_cast<int>(masks.size()); ++i)
        out.append({names[i], masks[static_cast<std::size_t>(i)], caption});
    return out;
}

QList<BitBoxRow::Box> BitBoxRow::fixedBoxes(const QStringList& names, const QStringList& captions,
                                            const std::vector<std::uint8_t>& masks)
{
    QList<Box> out;
    for (int i = 0; i < names.size() && i < captions.size() && i < static_cast<int>(masks.size()); ++i)
        out.append({names[i], masks[static_cast<std::size_t>(i)], tp::BitCaption::fixed(captions[i].toStdString())});
    return out;
}

void BitBoxRow::bind(HexField* field)
{
    m_field = field;
    connect(field, &HexField::completed, this, guarded([this](quint8 v) { setValue(v); }));
    try {
        setValue(field->value());
    } catch (const tp::Error&) {
        // A field that starts without a value ("XX") leaves the boxes as they are.
    }
}

void BitBoxRow::setBusyWhileUpdating(const QList<QWidget*>& containers)
{
    m_busy.clear();
    for (QWidget* c : containers)
        m_busy.append(c);
}

void BitBoxRow::setIndicators(std::uint8_t masks, const QString& why)
{
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (!(m_boxes[i].mask & masks))
            continue;
        m_buttons[i]->setEnabled(false);
        m_buttons[i]->setToolTip(why);
    }
}

void BitBoxRow::showBox(int index, bool bit)
{
    QAbstractButton* b = m_buttons[index];
    {
        const QSignalBlocker block(b);
        b->setChecked(tp::boxCheckedFor(bit, m_style.one));
    }
    b->setText(QString::fromStdString(m_boxes[index].caption.forBit(bit)));
}

void BitBoxRow::setValue(std::uint8_t v)
{
    for (int i = 0; i < m_boxes.size(); ++i)
        showBox(i, tp::bitOf(v, m_boxes[i].mask));
}

std::uint8_t BitBoxRow::shownValue() const
{
    std::uint8_t v = 0;
    for (int i = 0; i < m_boxes.size(); ++i)
        v = tp::withBit(v, m_boxes[i].mask, tp::bitOfBox(m_buttons[i]->isChecked(), m_style.one));
    return v;
}

QAbstractButton* BitBoxRow::buttonForMask(std::uint8_t mask) const
{
    for (int i = 0; i < m_boxes.size(); ++i)
        if (m_boxes[i].mask == mask)
            return m_buttons[i];
    return nullptr;
}

void BitBoxRow::boxClicked(int index)
{
    QPointer<QAbstractButton> box = m_buttons[index];
    const bool bit = tp::bitOfBox(box->isChecked(), m_style.one);
    const std::uint8_t mask = m_boxes[index].mask;
    box->setText(QString::fromStdString(m_boxes[index].caption.forBit(bit)));
    if (m_field) {
        const std::uint8_t v = tp::withBit(m_field->value(), mask, bit);
        // Disabling the containers takes the focus away; the box clicked gets it back.
        const bool hadFocus = box->hasFocus();
        {
            const Busy busy(m_busy);
            m_field->setValue(v);
        }
        if (hadFocus && box && box->isEnabled() && box->isVisible())
            box->setFocus(Qt::OtherFocusReason);
    }
    emit bitClicked(mask, bit);
}
