#include "CommandGuard.h"

#include "ArcErrors.h"

#include <cstdio>
#include <exception>
#include <new>

namespace trovel {

QString TCommandGuard::CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception &error) {
        return QString::fromLocal8Bit(error.Message());
    } catch (const std::bad_alloc &) {
        return QString::fromLocal8Bit(EOutOfMemory().Message());
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

void TCommandGuard::ShowCurrentException() noexcept
{
    try {
        const QString message = CurrentExceptionMessage();
        if (FErrorDisplay)
            FErrorDisplay(message);
    } catch (...) {
        // The error display itself failed (memory is gone); there is nobody
        // left to tell but the terminal.
        std::fputs("Trovel: an error could not be shown\n", stderr);
    }
}

} // namespace trovel
