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
        // The engine's messages are UTF-8: its own texts, the decoded entry
        // names and the file names it was given.
        return QString::fromUtf8(error.Message());
    } catch (const std::bad_alloc &) {
        return QString::fromUtf8(EOutOfMemory().Message());
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
