#include "gui/common/LedDisplay.h"
#include "gui/common/HexField.h"

#include <QFontDatabase>

void showAsLedDisplay(HexField* field)
{
    field->setDisplayOnly(true);
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setBold(true);
    f.setPointSizeF(field->font().pointSizeF() * 1.4);
    field->setFont(f);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: #101810; color: #40FF40; border: 2px inset #606060; }"));
}
