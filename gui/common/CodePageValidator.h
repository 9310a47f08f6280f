#pragma once
#include <QValidator>

// Lets into a field only text that the 8-bit code page of the program's
// text files can hold (and no control characters), so that what the user
// types is what a saved file keeps.
class CodePageValidator : public QValidator {
    Q_OBJECT
public:
    explicit CodePageValidator(QObject* parent = nullptr) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;

    static bool fits(const QString& text);
};
