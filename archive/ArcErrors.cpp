#include "ArcErrors.h"

namespace trovel {

namespace {

// The messages keep one "%s" for the name; the name is inserted byte for byte.
std::string withName(const char *format, const std::string &name)
{
    std::string text(format);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

} // namespace

EFOpenError::EFOpenError(const std::string &fileName)
    : Exception(withName("Datei %s kann nicht geöffnet werden", fileName))
{
}

EFCreateError::EFCreateError(const std::string &fileName)
    : Exception(withName("Datei %s kann nicht erstellt werden", fileName))
{
}

EReadError::EReadError() : Exception("Stream-Lesefehler") {}

EWriteError::EWriteError() : Exception("Stream-Schreibfehler") {}

ERangeError::ERangeError() : Exception("Fehler bei Bereichsprüfung") {}

EOutOfMemory::EOutOfMemory() : Exception("Zu wenig Arbeitsspeicher") {}

EPathError::EPathError(const std::string &entryName)
    : Exception(withName("Eintrag %s liegt außerhalb des Zielordners", entryName))
{
}

EDataError::EDataError(const std::string &entryName)
    : Exception(withName("Daten von %s sind beschädigt", entryName))
{
}

} // namespace trovel
