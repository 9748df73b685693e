#pragma once

#include <QScopeGuard>

#include <utility>

namespace trovel {

// What the window is in the middle of. A load and All files let pending
// events run with the reader in the middle of its work, so the commands chosen
// then must keep away from the reader: Open waits until nothing runs, since a
// load started from there would close the archive under the running one; the
// extraction commands are kept off only during All files (a load has not
// marked the archive loaded yet, so they say so and do nothing else). Closing
// the window is put off until the running operation has returned.
class TRunningState final
{
public:
    enum class TRunning
    {
        Nothing,
        Load,
        ExtractAll,
    };

    TRunning Running() const { return FRunning; }
    bool MayOpen() const { return FRunning == TRunning::Nothing; }
    bool MayExtract() const { return FRunning != TRunning::ExtractAll; }

    // Marks Running for the life of the guard returned.
    [[nodiscard]] auto Enter(TRunning Running)
    {
        return qScopeGuard(
            [this, previous = std::exchange(FRunning, Running)] { FRunning = previous; });
    }

    // True when the window may close now; otherwise the close is remembered.
    bool MayClose()
    {
        FCloseRequested = FRunning != TRunning::Nothing;
        return !FCloseRequested;
    }
    // True once for a close put off, as soon as nothing runs any more.
    bool TakePendingClose()
    {
        if (!FCloseRequested || FRunning != TRunning::Nothing)
            return false;
        FCloseRequested = false;
        return true;
    }

private:
    TRunning FRunning = TRunning::Nothing;
    bool FCloseRequested = false;
};

} // namespace trovel
