#include "gui/app/TallyportApplication.h"
#include "core/common/Errors.h"
#include "gui/common/Dialogs.h"

TallyportApplication::TallyportApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tallyport"));
    setApplicationDisplayName(QStringLiteral("Tallyport"));
}

bool TallyportApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        // The operation stops where it was; what it changed stays changed.
        showError(QString::fromStdString(e.what()));
        return true;
    }
}

void TallyportApplication::showError(const QString& message)
{
    Dialogs::instance().error(activeWindow(), QStringLiteral("Tallyport"), message + QLatin1Char('.'));
}
