#pragma once
#include "core/common/Status.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;
class TfrmMain;

// Work a window repeats from the event loop while the user lets it run (a
// clock watch): each tick runs as background work of `owner`, so what it
// reports reaches the status line only while `owner` is the active window.
// It stops on the first failed tick, when the adapter changes and with
// its owner.
class BackgroundPoll : public QObject {
    Q_OBJECT
public:
    using Tick = std::function<tp::Status()>;

    BackgroundPoll(TfrmMain& main, QWidget* owner, int intervalMs, Tick tick);

    bool isRunning() const { return m_timer.isActive(); }
    void start();
    void stop();
    // One tick now, as the timer runs it.
    void tickNow();

signals:
    // Every stop that the owner did not ask for: after a failed tick (its
    // status), or an adapter change (0).
    void stopped(tp::Status status);

private:
    TfrmMain& m_main;
    QWidget* m_owner;
    Tick m_tick;
    QTimer m_timer;
};
