#include "reports/previewworker.h"

namespace pelanova {

PreviewWorker::PreviewWorker(std::function<bool()> isFinished, std::function<bool()> step,
                             QObject *parent)
    : QObject(parent), m_isFinished(std::move(isFinished)), m_step(std::move(step))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PreviewWorker::tick);
}

void PreviewWorker::start()
{
    if (m_started || m_ended)
        return;
    m_started = true;
    if (m_isFinished()) {
        finish(true);
        return;
    }
    m_timer.start();
}

void PreviewWorker::pause()
{
    if (m_ended)
        return;
    m_paused = true;
    m_timer.stop();
}

void PreviewWorker::resume()
{
    if (m_ended || !m_paused)
        return;
    m_paused = false;
    if (m_stopRequested)
        finish(false);
    else if (!m_inStep)
        m_timer.start();
}

void PreviewWorker::stop()
{
    if (m_ended)
        return;
    m_stopRequested = true;
    m_timer.stop();
    if (!m_inStep)
        finish(false);
}

void PreviewWorker::tick()
{
    if (m_ended || m_paused || m_stopRequested)
        return;
    m_inStep = true;
    const bool finished = m_step(); // the step must not throw: it runs from the event loop
    m_inStep = false;
    ++m_steps;
    if (m_stopRequested)
        finish(false);
    else if (finished)
        finish(true);
    else if (!m_paused)
        m_timer.start();
}

void PreviewWorker::finish(bool completed)
{
    if (m_ended)
        return;
    m_ended = true;
    m_timer.stop();
    emit ended(completed);
}

} // namespace pelanova
