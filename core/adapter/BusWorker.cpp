#include "core/adapter/BusWorker.h"

#include <chrono>

namespace tp {

namespace {
thread_local BusRunner* t_runner = nullptr;
}

BusRunner* busRunner()
{
    return t_runner;
}

BusRunnerScope::BusRunnerScope(BusRunner* runner) : m_previous(t_runner)
{
    t_runner = runner;
}

BusRunnerScope::~BusRunnerScope()
{
    t_runner = m_previous;
}

void onBus(const std::function<void()>& work)
{
    if (BusRunner* r = t_runner)
        r->run(work);
    else
        work();
}

bool BusWorker::Job::done() const
{
    std::lock_guard lock(m_mutex);
    return m_done;
}

bool BusWorker::Job::waitFor(std::uint64_t us) const
{
    std::unique_lock lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::microseconds(us), [this] { return m_done; });
}

void BusWorker::Job::wait() const
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_done; });
}

void BusWorker::Job::rethrow() const
{
    std::lock_guard lock(m_mutex);
    if (m_error)
        std::rethrow_exception(m_error);
}

BusWorker::BusWorker() : m_thread([this] { loop(); }) {}

BusWorker::~BusWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

std::shared_ptr<const BusWorker::Job> BusWorker::post(std::function<void()> work, std::function<void()> finished)
{
    auto job = std::make_shared<Job>();
    job->m_work = std::move(work);
    job->m_finished = std::move(finished);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(job);
    }
    m_wake.notify_one();
    return job;
}

bool BusWorker::busy() const
{
    std::lock_guard lock(m_mutex);
    return m_running || !m_queue.empty();
}

void BusWorker::loop()
{
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty())
                return; // stopping, and everything posted is done
            job = std::move(m_queue.front());
            m_queue.pop_front();
            m_running = true;
        }
        std::exception_ptr error;
        try {
            job->m_work();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            m_running = false;
        }
        {
            std::lock_guard lock(job->m_mutex);
            job->m_error = error;
            job->m_done = true;
            job->m_work = nullptr; // what it captured goes on this thread, while its owner waits
            if (job->m_finished)
                job->m_finished();
        }
        job->m_cv.notify_all();
    }
}

} // namespace tp
