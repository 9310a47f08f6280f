#include "gui/common/HexField.h"
#include "core/common/HexText.h"
#include "gui/common/CharValidator.h"
#include "gui/common/ExitFilter.h"
#include "gui/common/Guarded.h"
#include "gui/common/KeyFilter.h"

#include <QFocusEvent>
#include <QPalette>
#include <QValidator>

HexField::HexField(const QString& objectName, const QString& text, QWidget* parent) : QLineEdit(parent)
{
    setObjectName(objectName);
    setMaxLength(2);
    setValidator(new CharValidator(CharValidator::Kind::Upper, this)); // a paste may bring non-hex text
    setAlignment(Qt::AlignCenter);
    setText(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QLineEdit::textChanged, this, guarded(this, &HexField::textChange));
}

void HexField::setDisplayOnly(bool on)
{
    setReadOnly(on);
    setFocusPolicy(on ? Qt::NoFocus : Qt::StrongFocus);
}

void HexField::setHexKeysOnly()
{
    new HexKeyFilter(this);
}

std::uint8_t HexField::value() const
{
    return static_cast<std::uint8_t>(tp::hexToInt(text().toStdString()));
}

void HexField::setValue(std::uint8_t v)
{
    const QString t = QString::fromStdString(tp::byteText(v));
    if (t != text())
        setText(t);
}

void HexField::applyExit(tp::HexExit rule)
{
    const QString t = QString::fromStdString(tp::normaliseHexExit(rule, text().toStdString()));
    if (t != text())
        setText(t);
}

void HexField::setInvalidReason(const QString& why)
{
    if (why == m_invalidReason)
        return;
    if (m_invalidReason.isEmpty())
        m_validTip = toolTip();
    m_invalidReason = why;
    QPalette p;
    if (!why.isEmpty()) {
        p.setColor(QPalette::Base, QColor(0xFF, 0xD8, 0xD8));
        p.setColor(QPalette::Text, QColor(0xB0, 0x00, 0x00));
    }
    setPalette(p);
    setToolTip(why.isEmpty() ? m_validTip : why);
}

void HexField::textChange(const QString& text)
{
    const std::string t = text.toStdString();
    if (tp::isCompleteByteText(t))
        emit completed(static_cast<quint8>(tp::hexToInt(t)));
}

void HexField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (leavesField(*event))
        emit exited();
}

QSize HexField::sizeHint() const
{
    const QFontMetrics fm(font());
    QSize s = QLineEdit::sizeHint();
    s.setWidth(fm.horizontalAdvance(QStringLiteral("WW")) + 18);
    return s;
}
