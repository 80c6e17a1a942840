#include "reports/previewpacer.h"

#include "core/unitapp.h"
#include "reports/previewworker.h"
#include "reports/reportengine.h"
#include "widgets/busyscope.h"

#include <exception>

namespace pelanova {

PreviewPacer::PreviewPacer(ReportEngine &engine, QSize pageSize, QObject *parent)
    : QObject(parent), m_engine(engine), m_pageSize(pageSize)
{
}

PreviewPacer::~PreviewPacer()
{
    stop();
}

bool PreviewPacer::isPaused() const
{
    return m_worker && m_worker->isPaused();
}

void PreviewPacer::showNext(int zoom)
{
    BusyScope busy;
    PreviewStore &store = m_engine.store();
    if (store.shownIndex() + 1 < store.count()) {
        store.show(store.shownIndex() + 1);
    } else if (m_engine.state() == ReportEngine::State::Previewing && !m_engine.isFinished()) {
        if (zoom == 0) {
            m_engine.renderPreviewPage(true);
        } else {
            fillSheet(zoom);
            m_engine.storeSheet(true);
        }
    }
}

void PreviewPacer::fillSheet(int zoom)
{
    const int stepX = m_pageSize.width() * zoom / 100;
    const int stepY = m_pageSize.height() * zoom / 100;
    int x = 0;
    int y = 0;
    while (!m_engine.isFinished()) {
        m_engine.renderReducedPage(zoom, QPoint(x, y));
        x += stepX;
        if (x + stepX > m_pageSize.width()) {
            x = 0;
            y += stepY;
            if (y + stepY > m_pageSize.height())
                break;
        }
    }
}

void PreviewPacer::start(int zoom)
{
    stop();
    auto *worker = new PreviewWorker([this] { return m_engine.isFinished(); }, [this, zoom] { return step(zoom); },
                                     this);
    m_worker = worker;
    connect(worker, &PreviewWorker::ended, this, [this, worker](bool completed) {
        if (completed && m_worker == worker)
            m_running = false;
        worker->deleteLater();
        emit ended();
    });
    m_running = true;
    worker->start();
}

void PreviewPacer::stop()
{
    if (!m_worker)
        return;
    PreviewWorker *worker = m_worker;
    m_worker = nullptr;
    // Its end handler would report an end that nobody waits for.
    disconnect(worker, nullptr, this, nullptr);
    if (worker->isPaused())
        worker->resume(); // a stop request ends a paused worker as well
    worker->stop();
    worker->deleteLater();
    m_running = false;
}

void PreviewPacer::pause()
{
    if (m_worker)
        m_worker->pause();
}

void PreviewPacer::resume()
{
    if (m_worker)
        m_worker->resume();
}

bool PreviewPacer::step(int zoom)
{
    // Runs from the worker's timer: nothing may leave it as an exception.
    try {
        if (m_engine.state() != ReportEngine::State::Previewing)
            return true;
        if (zoom == 0) {
            m_engine.renderPreviewPage(false);
        } else {
            fillSheet(zoom);
            m_engine.storeSheet(false);
        }
        emit stepped();
        return m_engine.isFinished();
    } catch (const std::exception &e) {
        m_engine.endPreview();
        emit failed(QString::fromStdString(ErrorText(e)));
        return true;
    }
}

} // namespace pelanova
