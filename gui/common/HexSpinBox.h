#pragma once
#include <QSpinBox>

// A spin box of register values: "0x" and two upper-case hex digits,
// changed only with its arrows (or the arrow keys), never by typing.
// valueChanged() is the change reaction; setValueQuietly() loads a value
// the program read without running it.
class HexSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit HexSpinBox(const QString& objectName, int minimum = 0, int maximum = 0xFF, int step = 1,
                        QWidget* parent = nullptr);

    void setValueQuietly(int value);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;
};
