#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>

namespace trovel {

// Long operations run on the user-interface thread and keep the window alive
// by letting pending events run between their steps. Running them at every
// step would spend a run over many small steps in the event loop, so the pacer
// says when it is time again: at the first step after Restart, then once the
// interval has passed since events last ran.
class TEventPacer final
{
public:
    // 0: events are due at every step.
    explicit TEventPacer(std::chrono::milliseconds Interval) : FInterval(Interval) {}

    // The next step is due, whenever events last ran.
    void Restart() { FLastRun.invalidate(); }
    bool Due() const
    {
        return !FLastRun.isValid() || FInterval.count() <= 0 ||
               FLastRun.elapsed() >= FInterval.count();
    }
    // Lets every pending event run. The interval counts from their end, so the
    // work between two turns of the event loop is never squeezed by a slow turn.
    void RunEvents()
    {
        QCoreApplication::processEvents();
        FLastRun.start();
    }

private:
    std::chrono::milliseconds FInterval;
    QElapsedTimer FLastRun;
};

} // namespace trovel
