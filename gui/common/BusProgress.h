#pragma once
#include "core/adapter/BusWorker.h"
#include "core/common/Status.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>

class QTimer;
class QWidget;

// The progress of a long bus operation, with its Cancel. The work reports
// through step() from the bus worker; the dialog follows from the interface
// thread and stays live while the bus works, so Cancel is taken at any
// moment and the work stops after the transfer in flight. The dialog shows
// only once the work has taken `minimumDurationMs`.
class BusProgress : public QObject {
    Q_OBJECT
public:
    BusProgress(QWidget* parent, const QString& label, int minimumDurationMs = 500);
    ~BusProgress() override;

    // From any thread: how far the work got; false once Cancel was pressed.
    bool step(std::size_t done, std::size_t total);
    std::function<bool(std::size_t, std::size_t)> callback()
    {
        return [this](std::size_t done, std::size_t total) { return step(done, total); };
    }
    bool wasCancelled() const { return m_cancelled; }
    std::size_t done() const { return m_done; }
    std::size_t total() const { return m_total; }

    QProgressDialog* dialog() const { return m_dialog; }

    // Runs `job` as one piece of bus work, the dialog up meanwhile; the job
    // gets the callback for its progress.
    template <class Result, class Job>
    static Result run(QWidget* parent, const QString& label, int minimumDurationMs, Job&& job)
    {
        BusProgress progress(parent, label, minimumDurationMs);
        Result r{};
        tp::onBus([&] { r = job(progress.callback()); });
        return r;
    }

    // The status line after a cancel: the chip may hold part of the job.
    static tp::StatusMessage cancelledMessage(std::size_t done, std::size_t total);

private:
    void follow();

    QPointer<QProgressDialog> m_dialog;
    QTimer* m_timer;
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_total{0};
    std::atomic<bool> m_cancelled{false};
};
