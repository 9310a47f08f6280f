#include "gui/app/Settings.h"

#include <QSettings>


StoredChoices readStoredChoices()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quessary"),
                QStringLiteral("Tallyprt"));
    StoredChoices c;
    c.showSplash = s.value(QStringLiteral("ShowSplash"), true).toBool();
    c.showWarning = s.value(QStringLiteral("ShowWarning"), true).toBool();
    return c;
}

void writeStoredChoices(const StoredChoices& choices)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quessary"),
                QStringLiteral("Tallyprt"));
    s.setValue(QStringLiteral("ShowSplash"), choices.showSplash);
    s.setValue(QStringLiteral("ShowWarning"), choices.showWarning);
    s.sync();
}
