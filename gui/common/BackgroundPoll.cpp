#include "gui/common/BackgroundPoll.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuiBusRunner.h"

BackgroundPoll::BackgroundPoll(TfrmMain& main, QWidget* owner, int intervalMs, Tick tick)
    : QObject(owner), m_main(main), m_owner(owner), m_tick(std::move(tick))
{
    m_timer.setInterval(intervalMs);
    // A tick while other bus work runs would wait nested inside that work's
    // wait: skip it, the next one comes soon enough.
    connect(&m_timer, &QTimer::timeout, this, guarded([this] {
                if (!GuiBusRunner::busy())
                    tickNow();
            }));
    // The chip may not be on the next adapter's bus.
    connect(&main, &TfrmMain::adapterStateChanged, this, guarded([this] {
                if (isRunning()) {
                    stop();
                    emit stopped(tp::status::Success);
                }
            }));
}

void BackgroundPoll::start()
{
    m_timer.start();
}

void BackgroundPoll::stop()
{
    m_timer.stop();
}

void BackgroundPoll::tickNow()
{
    tp::Status st = tp::status::Success;
    {
        const TfrmMain::BackgroundWork background(m_main, m_owner);
        st = m_tick();
    }
    if (st != tp::status::Success && isRunning()) {
        stop();
        emit stopped(st);
    }
}
