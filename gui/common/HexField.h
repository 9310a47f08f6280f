#pragma once
#include "core/common/HexExit.h"

#include <QLineEdit>

#include <cstdint>

// The two-digit register field: at most two characters, letters forced to
// upper case, the register value in hex without prefix ("FF", "0A"). A
// change counts only once the text is exactly two characters; then the
// text is read as a number (non-hex text pasted in fails with the
// invalid-number error) and completed() reports it. Leaving the field
// emits exited(); the window answers with applyExit() and its variant.
// As a display (setDisplayOnly) it shows a value the chip reported.
class HexField : public QLineEdit {
    Q_OBJECT
public:
    explicit HexField(const QString& objectName, const QString& text = QStringLiteral("FF"),
                      QWidget* parent = nullptr);

    void setDisplayOnly(bool on);
    // Keys other than hex digits, backspace, tab and return never reach the field.
    void setHexKeysOnly();

    // The text read as hex; throws InvalidNumber for anything else.
    std::uint8_t value() const;
    // Shows v as two upper-case digits; the same text again is no change.
    void setValue(std::uint8_t v);
    // Normalises the text as leaving the field does in the given variant;
    // the new text is a change like any other.
    void applyExit(tp::HexExit rule);

    // Marks the value as one the window will not use: red, with `why` as
    // the field's tip. An empty `why` takes the mark (and that tip) away.
    void setInvalidReason(const QString& why);
    const QString& invalidReason() const { return m_invalidReason; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void completed(quint8 value);
    void exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void textChange(const QString& text);

    QString m_invalidReason;
    QString m_validTip;
};
