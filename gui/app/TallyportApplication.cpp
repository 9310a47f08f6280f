#include "gui/app/TallyportApplication.h"
#include "gui/common/Guarded.h"

#include <QIcon>

TallyportApplication::TallyportApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tallyport"));
    // No display name: the platform would add it to the frame's title,
    // which already reads "Tallyport" (and "Tallyport - [window]").
    // Ties the windows to the installed menu entry (Wayland's app id) and its
    // icon; started from the build folder, there is no icon to find.
    setDesktopFileName(QStringLiteral("org.tallyport.Tallyport"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("tallyport")));
}

namespace {
int g_lastResort = 0;
}

int TallyportApplication::lastResortCatches()
{
    return g_lastResort;
}

bool TallyportApplication::notify(QObject* receiver, QEvent* event)
{
    // Last resort only: the program's own code is entered under guard(),
    // so an error that gets here has already unwound through Qt.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++g_lastResort;
        qWarning("an error reached the application's last resort: a handler runs without guard()");
        guarded_detail::showCurrentException();
        return true;
    }
}
