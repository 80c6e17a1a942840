#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace pelanova {

// Paces the background rendering of a preview: one step at a time, each run
// from the event loop of the user-interface thread, so that the window stays
// responsive between steps. Nothing runs on another thread, so a step never
// overlaps other work of the window. Once stopped, no further step runs.
class PreviewWorker : public QObject
{
    Q_OBJECT

public:
    // `isFinished` tells whether the report has no more pages; `step` renders
    // one step and returns whether the report is now finished.
    PreviewWorker(std::function<bool()> isFinished, std::function<bool()> step,
                  QObject *parent = nullptr);

    void start();
    void pause();
    void resume();
    // Ends the worker without completing; emits ended(false) unless it had ended.
    void stop();

    bool isPaused() const { return m_paused; }
    bool hasEnded() const { return m_ended; }
    int stepsRun() const { return m_steps; }

signals:
    // Emitted once; `completed` is true when the report was rendered to its end.
    void ended(bool completed);

private:
    void tick();
    void finish(bool completed);

    std::function<bool()> m_isFinished;
    std::function<bool()> m_step;
    QTimer m_timer;
    bool m_started = false;
    bool m_paused = false;
    bool m_stopRequested = false;
    bool m_ended = false;
    bool m_inStep = false;
    int m_steps = 0;
};

} // namespace pelanova
