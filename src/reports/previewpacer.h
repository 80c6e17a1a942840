#pragma once

// The pacing of a preview: the page shown at once, and the remaining pages
// rendered into the preview store one step at a time by a PreviewWorker, so
// that the window answers between steps. At a zoom of 25 to 80 % a step is a
// sheet of reduced pages.

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

namespace pelanova {

class PreviewWorker;
class ReportEngine;

class PreviewPacer : public QObject
{
    Q_OBJECT

public:
    PreviewPacer(ReportEngine &engine, QSize pageSize, QObject *parent = nullptr);
    ~PreviewPacer() override;

    // Shows the next page: the stored image after the shown one, or else the
    // next page (or sheet) rendered now, under the wait cursor.
    void showNext(int zoom);
    // Renders the remaining pages in the background, each step stored unshown.
    void start(int zoom);
    // Ends the background rendering; no further step runs.
    void stop();
    void pause();
    void resume();

    bool isRunning() const { return m_running; }
    bool isPaused() const;

signals:
    // A step stored a page or sheet.
    void stepped();
    // A step failed: the rest of the preview is abandoned, the stored images stay.
    void failed(const QString &message);
    // The background rendering ended by itself.
    void ended();

private:
    bool step(int zoom);
    void fillSheet(int zoom);

    ReportEngine &m_engine;
    QSize m_pageSize;
    QPointer<PreviewWorker> m_worker;
    bool m_running = false;
};

} // namespace pelanova
