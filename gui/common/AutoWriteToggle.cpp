#include "gui/common/AutoWriteToggle.h"

#include <QAbstractButton>

AutoWriteToggle::AutoWriteToggle(QAbstractButton* button, tp::AutoWriteCaption style)
    : ToggleCaption(button, [style](bool on) { return tp::autoWriteText(style, on); })
{
    setOn(false);
}

AutoWriteToggle::Suspension::Suspension(AutoWriteToggle* toggle) : m_toggle(toggle)
{
    if (m_toggle) {
        m_was = m_toggle->isOn();
        m_toggle->setOn(false);
    }
}

AutoWriteToggle::Suspension::~Suspension()
{
    if (m_toggle)
        m_toggle->setOn(m_was);
}
