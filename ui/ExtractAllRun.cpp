#include "ExtractAllRun.h"

#include <QScopeGuard>

namespace trovel {

TExtractAllRun::TExtractAllRun(std::chrono::milliseconds Pacing, QObject *Parent)
    : QObject(Parent), FPacer(Pacing)
{
}

void TExtractAllRun::Run(const std::function<void()> &Extract)
{
    FCancelled = false;
    FPosition = 0;
    FName.clear();
    FPacer.Restart();
    const auto showLast = qScopeGuard([this] { emit ProgressShown(FPosition, FName); });
    Extract();
}

bool TExtractAllRun::Report(const std::string &Name)
{
    FName = Name;
    ++FPosition;
    if (FPacer.Due()) {
        emit ProgressShown(FPosition, FName);
        FPacer.RunEvents();
    }
    return FCancelled;
}

} // namespace trovel
