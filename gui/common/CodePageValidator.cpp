#include "gui/common/CodePageValidator.h"
#include "core/common/CodePage.h"

bool CodePageValidator::fits(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    const std::string utf8 = text.toStdString();
    return tp::cp1252ToUtf8(tp::utf8ToCp1252(utf8)) == utf8;
}

QValidator::State CodePageValidator::validate(QString& input, int&) const
{
    return fits(input) ? Acceptable : Invalid;
}
