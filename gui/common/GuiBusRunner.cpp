#include "gui/common/GuiBusRunner.h"
#include "gui/common/Guarded.h"

#include <QAbstractEventDispatcher>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QShortcut>
#include <QThread>
#include <QWidget>

#include <algorithm>

namespace {
GuiBusRunner* g_runner = nullptr;
const QEvent::Type kFinished = static_cast<QEvent::Type>(QEvent::registerEventType());
const char* const kLiveProperty = "tallyportLiveWhileBusy";

bool isViewport(const QWidget* w)
{
    const auto* area = w->parentWidget() ? qobject_cast<const QAbstractScrollArea*>(w->parentWidget()) : nullptr;
    return area && area->viewport() == w;
}
} // namespace

GuiBusRunner::GuiBusRunner(QObject* parent) : QObject(parent), m_scope(this)
{
    g_runner = this;
    m_sincePump.start();
    if (auto* d = QAbstractEventDispatcher::instance(thread()))
        connect(d, &QAbstractEventDispatcher::awake, this, guarded([this] { m_sincePump.restart(); }));
}

GuiBusRunner::~GuiBusRunner()
{
    if (g_runner == this)
        g_runner = nullptr;
}

bool GuiBusRunner::busy()
{
    return g_runner && !g_runner->m_waits.empty();
}

void GuiBusRunner::keepLive(QWidget* w)
{
    w->setProperty(kLiveProperty, true);
}

bool GuiBusRunner::isLive(const QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (w->property(kLiveProperty).toBool())
            return true;
    return false;
}

void GuiBusRunner::onInterfaceThread(const std::function<void()>& fn)
{
    if (!g_runner || QThread::currentThread() == g_runner->thread()) {
        fn();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        g_runner,
        [&] {
            try {
                fn();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

void GuiBusRunner::run(const std::function<void()>& work)
{
    auto job = m_worker.post(work, [this] {
        if (!m_finishPosted.exchange(true))
            QCoreApplication::postEvent(this, new QEvent(kFinished));
    });
    // Quick work is waited for here, as long as the events can wait.
    const qint64 budgetMs = kPumpMs - m_sincePump.elapsed();
    if (budgetMs > 0 && job->waitFor(static_cast<std::uint64_t>(budgetMs) * 1000)) {
        job->rethrow();
        return;
    }
    QEventLoop loop;
    Wait wait{job, &loop};
    if (m_waits.empty())
        qApp->installEventFilter(this);
    m_waits.push_back(&wait);
    struct Leave {
        GuiBusRunner& r;
        Wait* w;
        ~Leave()
        {
            r.m_waits.erase(std::find(r.m_waits.begin(), r.m_waits.end(), w));
            if (r.m_waits.empty())
                qApp->removeEventFilter(&r);
            r.m_sincePump.restart();
        }
    } leave{*this, &wait};
    while (!job->done())
        loop.exec();
    job->rethrow();
}

bool GuiBusRunner::event(QEvent* e)
{
    if (e->type() != kFinished)
        return QObject::event(e);
    guard([&] {
        m_finishPosted = false;
        for (Wait* w : m_waits)
            if (w->job->done())
                w->loop->quit();
    });
    return true;
}

bool GuiBusRunner::held(QObject* receiver, QEvent* e) const
{
    // A dialog the waiting work asked for (a write to confirm) is answered.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        const auto* w = qobject_cast<const QWidget*>(receiver);
        if (w && (w == modal || modal->isAncestorOf(w)))
            return false;
    }
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::TouchBegin: {
        const auto* w = qobject_cast<const QWidget*>(receiver);
        if (!w)
            return false; // the window's own delivery; its widgets decide
        // Sub-window frames move and resize; a close they ask for waits.
        return !(isLive(w) || qobject_cast<const QScrollBar*>(w) || qobject_cast<const QMdiSubWindow*>(w));
    }
    case QEvent::Wheel: {
        const auto* w = qobject_cast<const QWidget*>(receiver);
        // A control steps its value only with focus; without, the wheel scrolls its panel.
        return w && w->hasFocus() && !isLive(w) && !isViewport(w) && !qobject_cast<const QScrollBar*>(w);
    }
    case QEvent::Shortcut: {
        const QWidget* owner = nullptr;
        if (auto* s = qobject_cast<QShortcut*>(receiver))
            owner = qobject_cast<const QWidget*>(s->parent());
        else if (auto* a = qobject_cast<QAction*>(receiver))
            owner = qobject_cast<const QWidget*>(a->parent());
        return !isLive(owner);
    }
    case QEvent::Close: {
        const auto* w = qobject_cast<const QWidget*>(receiver);
        return w && !isLive(w) && (e->spontaneous() || qobject_cast<const QMdiSubWindow*>(w));
    }
    default:
        return false;
    }
}

bool GuiBusRunner::eventFilter(QObject* watched, QEvent* e)
{
    if (!held(watched, e))
        return false;
    e->ignore();
    return true;
}
