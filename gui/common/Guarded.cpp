#include "gui/common/Guarded.h"
#include "gui/common/Dialogs.h"

#include <QApplication>

void showErrorBox(const QString& message)
{
    Dialogs::instance().error(QApplication::activeWindow(), QStringLiteral("Tallyport"),
                              message + QLatin1Char('.'));
}

void guarded_detail::showCurrentException() noexcept
{
    QString message;
    try {
        throw;
    } catch (const std::exception& e) {
        message = QString::fromStdString(e.what());
    } catch (...) {
        message = QStringLiteral("Unexpected error");
    }
    // The box runs an event loop of its own; whatever it enters is guarded
    // again, so nothing can escape from here.
    try {
        showErrorBox(message);
    } catch (...) {
    }
}
