#include "gui/app/RecentFileStore.h"

#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("MRUS");

QString entryName(int n)
{
    return QStringLiteral("mru%1").arg(n);
}

} // namespace

std::vector<std::string> readRecentFiles()
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bramwick"),
                QStringLiteral("Tallyport"));
    s.beginGroup(kGroup);
    const QStringList keys = s.childKeys();
    std::vector<std::string> out;
    // In order, up to the first one missing.
    for (int n = 1; n <= 4; ++n) {
        QString found;
        for (const QString& k : keys)
            if (k.compare(entryName(n), Qt::CaseInsensitive) == 0)
                found = k;
        if (found.isEmpty())
            break;
        const QString path = s.value(found).toString();
        if (path.isEmpty())
            break;
        out.push_back(path.toStdString());
    }
    return out;
}

void writeRecentFiles(const std::vector<std::string>& paths)
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bramwick"),
                QStringLiteral("Tallyport"));
    s.beginGroup(kGroup);
    for (const QString& k : s.childKeys())
        for (int n = 1; n <= 4; ++n)
            if (k.compare(entryName(n), Qt::CaseInsensitive) == 0)
                s.remove(k);
    for (const QString& k : s.childKeys())
        if (k.compare(QStringLiteral("numMRUs"), Qt::CaseInsensitive) == 0)
            s.remove(k);
    s.setValue(QStringLiteral("numMRUs"), static_cast<int>(paths.size()));
    for (std::size_t i = 0; i < paths.size() && i < 4; ++i)
        s.setValue(entryName(static_cast<int>(i) + 1), QString::fromStdString(paths[i]));
    s.endGroup();
    s.sync();
}
