#pragma once
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tp {

// Where bus work runs. A program with a user interface installs one for its
// interface thread, so work asked for there runs on the bus worker while the
// interface keeps answering; a thread without one (the worker itself, the
// command line) runs bus work where it is asked for.
class BusRunner {
public:
    virtual ~BusRunner() = default;
    // Runs `work` to its end, in order with all other bus work. An exception
    // it throws comes back to the caller.
    virtual void run(const std::function<void()>& work) = 0;
};

// The calling thread's runner, or nullptr.
BusRunner* busRunner();

// Makes `runner` the calling thread's runner for the scope's lifetime.
class BusRunnerScope {
public:
    explicit BusRunnerScope(BusRunner* runner);
    ~BusRunnerScope();
    BusRunnerScope(const BusRunnerScope&) = delete;
    BusRunnerScope& operator=(const BusRunnerScope&) = delete;

private:
    BusRunner* m_previous;
};

// Runs `work` through the calling thread's runner, or at once without one.
void onBus(const std::function<void()>& work);

// One thread that owns the bus: it executes the work posted to it in order,
// one piece at a time.
class BusWorker {
public:
    class Job {
    public:
        bool done() const;
        // Waits at most `us` microseconds; true once the work has finished.
        bool waitFor(std::uint64_t us) const;
        void wait() const;
        // Throws what the work threw.
        void rethrow() const;

    private:
        friend class BusWorker;
        std::function<void()> m_work;
        std::function<void()> m_finished;
        mutable std::mutex m_mutex;
        mutable std::condition_variable m_cv;
        bool m_done = false;
        std::exception_ptr m_error;
    };

    BusWorker();
    // Finishes the work posted before.
    ~BusWorker();
    BusWorker(const BusWorker&) = delete;
    BusWorker& operator=(const BusWorker&) = delete;

    // Queues `work`. `finished`, if given, is called on the worker once the
    // work has ended, while the job is locked: a waiter that sees the job
    // done knows `finished` has returned.
    std::shared_ptr<const Job> post(std::function<void()> work, std::function<void()> finished = {});

    // True while work is queued or running.
    bool busy() const;
    bool isWorkerThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void loop();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Job>> m_queue;
    bool m_running = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace tp
