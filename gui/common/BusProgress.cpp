#include "gui/common/BusProgress.h"
#include "gui/common/GuiBusRunner.h"
#include "gui/common/Guarded.h"

#include <QProgressDialog>
#include <QTimer>

BusProgress::BusProgress(QWidget* parent, const QString& label, int minimumDurationMs)
    : m_dialog(new QProgressDialog(label, QStringLiteral("Cancel"), 0, 100, parent)), m_timer(new QTimer(this))
{
    // Not modal: the rest of the program (the bus log) stays usable; the
    // bus runner holds the input that could start more bus work.
    m_dialog->setWindowModality(Qt::NonModal);
    m_dialog->setMinimumDuration(minimumDurationMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
    GuiBusRunner::keepLive(m_dialog);
    connect(m_dialog, &QProgressDialog::canceled, this, guarded([this] { m_cancelled = true; }));
    connect(m_timer, &QTimer::timeout, this, guarded(this, &BusProgress::follow));
    m_timer->start(40);
}

BusProgress::~BusProgress()
{
    delete m_dialog.data();
}

bool BusProgress::step(std::size_t done, std::size_t total)
{
    m_total = total;
    m_done = done;
    return !m_cancelled;
}

void BusProgress::follow()
{
    if (m_dialog && m_dialog->wasCanceled()) // cancel() as well as its button
        m_cancelled = true;
    const std::size_t total = m_total;
    if (m_dialog && total > 0)
        m_dialog->setValue(static_cast<int>(m_done * 100 / total));
}

tp::StatusMessage BusProgress::cancelledMessage(std::size_t done, std::size_t total)
{
    tp::StatusMessage m;
    m.text = " Transfer cancelled after " + std::to_string(done) + " of " + std::to_string(total) + " bytes";
    m.background = tp::colour::Yellow;
    m.textColour = tp::colour::Black;
    m.align = tp::Align::Centre;
    return m;
}
