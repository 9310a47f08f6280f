#include "gui/universal/Bits.h"
#include "gui/common/Guarded.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

TfrmBits::TfrmBits(TfrmLongI2C& device, int reg)
    : TRegisterControl(device, reg, QStringLiteral("chbBitsUpdate"),
                       tr("Send I\u00B2C message when value changed"))
{
    setObjectName(QStringLiteral("TfrmBits"));
    setToolTip(tr("Click on bits to toggle value"));
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(f.pointSizeF() * 1.5);
    f.setBold(true);
    const int cell = QFontMetrics(f).height() + 10;

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(4);
    layout->addWidget(lblRegName, 0, 0, 1, 8);
    for (int bit = 7; bit >= 0; --bit) {
        const int column = 7 - bit;
        auto* number = new QLabel(QString::number(bit), this);
        number->setObjectName(QStringLiteral("lblBit%1").arg(bit));
        number->setAlignment(Qt::AlignCenter);
        layout->addWidget(number, 1, column);
        auto* e = new QLineEdit(QStringLiteral("0"), this);
        e->setObjectName(QStringLiteral("edtDigit%1").arg(bit));
        e->setReadOnly(true);
        e->setMaxLength(1);
        e->setAlignment(Qt::AlignCenter);
        e->setFont(f);
        e->setFixedSize(cell, cell);
        e->setCursor(Qt::PointingHandCursor);
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->installEventFilter(this);
        m_digits[static_cast<std::size_t>(bit)] = e;
        layout->addWidget(e, 2, column);
    }
    layout->addWidget(autoWriteBox(), 3, 0, 1, 8);
    reload();
}

std::uint8_t TfrmBits::shownValue() const
{
    unsigned v = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (digit(bit)->text() == QLatin1String("1"))
            v |= 1u << bit;
    return static_cast<std::uint8_t>(v);
}

void TfrmBits::loadValue(std::uint8_t v)
{
    for (int bit = 0; bit < 8; ++bit)
        digit(bit)->setText((v >> bit) & 1 ? QStringLiteral("1") : QStringLiteral("0"));
}

void TfrmBits::edtDigitClick(int bit)
{
    QLineEdit* e = digit(bit);
    e->setText(e->text() == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1"));
    valueChange(shownValue());
}

bool TfrmBits::eventFilter(QObject* watched, QEvent* event)
{
    for (int bit = 0; bit < 8; ++bit) {
        if (watched != digit(bit))
            continue;
        // A quick second click arrives as a double click: it toggles too.
        const bool click =
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        // The space bar toggles a focused field, for work without a mouse.
        const bool key =
            event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space;
        if (click || key) {
            digit(bit)->setFocus(Qt::MouseFocusReason);
            guard([this, bit] { edtDigitClick(bit); });
            return true;
        }
    }
    return TRegisterControl::eventFilter(watched, event);
}
