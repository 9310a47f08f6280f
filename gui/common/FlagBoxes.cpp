#include "gui/common/FlagBoxes.h"
#include "gui/app/StatusLine.h"
#include "gui/common/Guarded.h"

#include <QCheckBox>
#include <QLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

FlagBoxes::FlagBoxes(QWidget* container, const tp::FlagTable& flags, const Style& style)
    : QObject(container), m_flags(flags), m_style(style)
{
    QLayout* layout = container->layout();
    if (!layout)
        layout = new QVBoxLayout(container);
    for (int i = 0; i < int(m_flags.size()); ++i) {
        const tp::FlagBit& f = m_flags[std::size_t(i)];
        auto* b = new QCheckBox(container);
        b->setObjectName(QString::fromStdString(f.name));
        if (m_style.bold) {
            QFont font = b->font();
            font.setBold(true);
            b->setFont(font);
        }
        layout->addWidget(b);
        m_boxes.append(b);
        refresh(i);
        connect(b, &QCheckBox::stateChanged, this, guarded([this, i] { refresh(i); }));
        connect(b, &QCheckBox::clicked, this, guarded([this, i](bool) {
                    endUnknown();
                    emit clicked(m_flags[std::size_t(i)].mask, m_boxes[i]->checkState() == Qt::Checked);
                }));
    }
}

QCheckBox* FlagBoxes::boxForMask(std::uint16_t mask) const
{
    for (int i = 0; i < m_boxes.size(); ++i)
        if (m_flags[std::size_t(i)].mask == mask)
            return m_boxes[i];
    return nullptr;
}

void FlagBoxes::refresh(int i)
{
    QCheckBox* b = m_boxes[i];
    const bool set = b->checkState() == Qt::Checked;
    b->setText(QString::fromStdString(m_flags[std::size_t(i)].textFor(set)));
    std::optional<tp::Rgb> colour = m_style.colour;
    if (m_style.redGreen)
        colour = set ? tp::colour::Red : tp::colour::Green;
    if (colour) {
        QPalette pal = b->palette();
        const QColor c = toQColor(*colour, pal);
        pal.setColor(QPalette::WindowText, c);
        pal.setColor(QPalette::ButtonText, c);
        b->setPalette(pal);
    }
}

void FlagBoxes::setValue(std::uint16_t value)
{
    endUnknown();
    for (int i = 0; i < m_boxes.size(); ++i) {
        // stateChanged still reaches refresh(); clicked never fires for this.
        m_boxes[i]->setChecked((value & m_flags[std::size_t(i)].mask) != 0);
        refresh(i);
    }
}

std::uint16_t FlagBoxes::value() const
{
    std::uint16_t v = 0;
    for (int i = 0; i < m_boxes.size(); ++i)
        if (m_boxes[i]->checkState() == Qt::Checked)
            v = static_cast<std::uint16_t>(v | m_flags[std::size_t(i)].mask);
    return v;
}

void FlagBoxes::setUnknown()
{
    m_unknown = true;
    for (int i = 0; i < m_boxes.size(); ++i) {
        m_boxes[i]->setTristate(true);
        m_boxes[i]->setCheckState(Qt::PartiallyChecked);
        refresh(i);
    }
}

void FlagBoxes::endUnknown()
{
    if (!m_unknown)
        return;
    m_unknown = false;
    for (int i = 0; i < m_boxes.size(); ++i) {
        QCheckBox* b = m_boxes[i];
        const bool checked = b->checkState() == Qt::Checked;
        b->setTristate(false);
        b->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        refresh(i);
    }
}
