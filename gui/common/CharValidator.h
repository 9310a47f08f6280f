#pragma once
#include <QValidator>

// Lets only hex digits (shown upper case) or only decimal digits into a
// field, or anything in upper case (Upper: pasted text may be anything);
// the field's own length limit does the rest.
class CharValidator : public QValidator {
    Q_OBJECT
public:
    enum class Kind { Hex, Decimal, Upper };
    CharValidator(Kind kind, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

    // Whether a typed character may reach such a field (backspace, tab and
    // return always may).
    static bool keyAllowed(Kind kind, QChar c);

private:
    Kind m_kind;
};
