#include "gui/common/ToggleCaption.h"
#include "gui/app/StatusLine.h"
#include "gui/common/Guarded.h"

#include <QAbstractButton>

ToggleCaption::ToggleCaption(QAbstractButton* button, Texts texts)
    : QObject(button), m_button(button), m_texts(std::move(texts))
{
    button->setCheckable(true);
    connect(button, &QAbstractButton::toggled, this, guarded(this, &ToggleCaption::refresh));
    refresh();
}

ToggleCaption::ToggleCaption(QAbstractButton* button, const QString& name)
    : ToggleCaption(button, [n = name.toStdString()](bool on) { return tp::onOffText(n, on); })
{
}

bool ToggleCaption::isOn() const
{
    return m_button && m_button->isChecked();
}

void ToggleCaption::setOn(bool on)
{
    if (m_button)
        m_button->setChecked(on);
}

void ToggleCaption::refresh()
{
    const tp::ToggleText t = m_texts(m_button->isChecked());
    m_button->setText(QString::fromStdString(t.text));
    if (t.colour) {
        QPalette pal = m_button->palette();
        const QColor c = toQColor(*t.colour, pal);
        pal.setColor(QPalette::WindowText, c);
        pal.setColor(QPalette::ButtonText, c);
        m_button->setPalette(pal);
    }
}
