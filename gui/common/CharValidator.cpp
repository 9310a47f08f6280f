#include "gui/common/CharValidator.h"
#include "core/common/HexText.h"

CharValidator::CharValidator(Kind kind, QObject* parent) : QValidator(parent), m_kind(kind) {}

bool CharValidator::keyAllowed(Kind kind, QChar c)
{
    if (c == QChar(8) || c == QChar(9) || c == QChar(13) || kind == Kind::Upper)
        return true;
    if (c.unicode() >= 128)
        return false;
    const char a = static_cast<char>(c.unicode());
    return kind == Kind::Hex ? tp::isHexDigit(a) : (a >= '0' && a <= '9');
}

QValidator::State CharValidator::validate(QString& input, int&) const
{
    if (m_kind != Kind::Decimal)
        input = input.toUpper();
    if (m_kind == Kind::Upper)
        return Acceptable;
    for (QChar c : std::as_const(input))
        if (c.unicode() < 32 || !keyAllowed(m_kind, c))
            return Invalid;
    return Acceptable;
}
