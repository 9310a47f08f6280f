#include "gui/common/HexSpinBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

HexSpinBox::HexSpinBox(const QString& objectName, int minimum, int maximum, int step, QWidget* parent)
    : QSpinBox(parent)
{
    setObjectName(objectName);
    setRange(minimum, maximum);
    setSingleStep(step);
    setDisplayIntegerBase(16);
    lineEdit()->setReadOnly(true);
    setAlignment(Qt::AlignCenter);
}

void HexSpinBox::setValueQuietly(int value)
{
    const QSignalBlocker block(this);
    setValue(value);
}

QString HexSpinBox::textFromValue(int value) const
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

int HexSpinBox::valueFromText(const QString& text) const
{
    QString t = text;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.mid(2);
    bool ok = false;
    const int v = t.toInt(&ok, 16);
    return ok ? v : value();
}

QValidator::State HexSpinBox::validate(QString& text, int& pos) const
{
    (void)pos;
    // Only the program's own texts stand in the field: typing is off.
    return text == textFromValue(valueFromText(text)) ? QValidator::Acceptable : QValidator::Invalid;
}
