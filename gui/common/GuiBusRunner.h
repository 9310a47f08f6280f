#pragma once
#include "core/adapter/BusWorker.h"

#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <vector>

class QEventLoop;
class QWidget;

// Bus work the interface thread asks for runs on the bus worker, one piece
// at a time, while the asking code waits as before; meanwhile the thread
// keeps painting, scrolling and logging in a local event loop. So that no
// second operation starts inside a waiting one, input is held (dropped)
// while it waits, except for widgets kept live (the bus log, Cancel
// buttons), scroll bars, wheel scrolling of views and panels, and the frames
// of sub-windows (they move; closing waits). Background work (a sensor's
// polls) asks busy() and skips its turn.
class GuiBusRunner : public QObject, public tp::BusRunner {
    Q_OBJECT
public:
    // Serves the constructing thread from then on.
    explicit GuiBusRunner(QObject* parent = nullptr);
    ~GuiBusRunner() override;

    void run(const std::function<void()>& work) override;

    // Whether the interface thread waits for bus work now.
    static bool busy();
    // `w` and everything in it takes input while bus work runs.
    static void keepLive(QWidget* w);
    static bool isLive(const QWidget* w);

    // Runs `fn` on the interface thread, the calling bus work waiting for it
    // (a question the user must answer before a write goes out).
    static void onInterfaceThread(const std::function<void()>& fn);

    // Longest the thread goes without handling its events while bus work runs.
    static constexpr int kPumpMs = 15;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Wait {
        std::shared_ptr<const tp::BusWorker::Job> job;
        QEventLoop* loop;
    };
    bool held(QObject* receiver, QEvent* e) const;

    tp::BusWorker m_worker;
    tp::BusRunnerScope m_scope;
    std::vector<Wait*> m_waits;
    QElapsedTimer m_sincePump;
    std::atomic<bool> m_finishPosted{false};
};
