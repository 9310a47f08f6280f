#include "gui/app/TallyportApplication.h"
#include "gui/common/Guarded.h"

TallyportApplication::TallyportApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tallyport"));
    // No display name: the platform would add it to the frame's title,
    // which already reads "Tallyport" (and "Tallyport - [window]").
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
