#pragma once
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>

// A field that takes at most `length` typed characters while texts the
// program writes into it may be longer (a corrected "0FF" in a two-digit
// field). QLineEdit::setMaxLength would cut those.
class TypingLimit : public QObject {
public:
    TypingLimit(QLineEdit* field, int length) : QObject(field), m_field(field), m_length(length)
    {
        field->installEventFilter(this);
    }
    int length() const { return m_length; }
    void setLength(int length) { m_length = length; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint() || (key->modifiers() & Qt::ControlModifier))
            return false;
        const qsizetype kept = m_field->text().size() - m_field->selectedText().size();
        return kept + text.size() > m_length;
    }

private:
    QLineEdit* m_field;
    int m_length;
};

inline TypingLimit* limitTyping(QLineEdit* field, int length)
{
    return new TypingLimit(field, length);
}
