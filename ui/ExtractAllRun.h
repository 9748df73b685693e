#pragma once

#include "EventPacer.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <string>

namespace trovel {

// One run of All files: counts the reader's progress reports, shows the latest
// one whenever pending events are due and lets them run right after, and
// carries the user's cancel request into the report that follows them. Since
// events run only after a report has been shown, a cancel takes effect before
// the entry whose name is on show.
class TExtractAllRun final : public QObject
{
    Q_OBJECT

public:
    explicit TExtractAllRun(std::chrono::milliseconds Pacing, QObject *Parent = nullptr);
    Q_DISABLE_COPY_MOVE(TExtractAllRun)

    // Starts afresh (not cancelled, no report yet) and calls Extract, which
    // writes the entries and hands every report to Report. However Extract
    // ends, the last report reached is shown once more before it returns or
    // its failure travels on.
    void Run(const std::function<void()> &Extract);
    // The report before the entry Name: true when the run is to stop there.
    bool Report(const std::string &Name);

    // Asks the run to stop before its next entry. The request stays until the
    // next run starts.
    void Cancel() { FCancelled = true; }
    bool Cancelled() const { return FCancelled; }

signals:
    // The report at Position (from 1) before the entry Name is to be shown;
    // 0 and an empty name before the first report.
    void ProgressShown(int Position, const std::string &Name);

private:
    TEventPacer FPacer;
    bool FCancelled = false;
    int FPosition = 0;
    std::string FName;
};

} // namespace trovel
