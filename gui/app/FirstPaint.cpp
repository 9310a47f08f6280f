#include "gui/app/FirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {
class FirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // After this paint has been delivered.
            QTimer::singleShot(0, this, [] {
                timespec ts{};
                clock_gettime(CLOCK_MONOTONIC, &ts);
                std::printf("%lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, e);
    }

private:
    bool m_seen = false;
};
} // namespace

void exitAfterFirstPaint(QWidget* w)
{
    w->installEventFilter(new FirstPaint(w));
}
