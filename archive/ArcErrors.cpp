#include "ArcErrors.h"

namespace trovel {

namespace {

// The messages keep one "%s" for the name; the name is inserted byte for byte.
std::string withName(std::string_view format, const std::string &name)
{
    std::string text(format);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

} // namespace

Exception::Exception(std::string_view format, const std::string &subject)
    : std::runtime_error(withName(format, subject)), FSubject(subject),
      FSubjectAt(format.find("%s"))
{
}

std::string Exception::MessageWith(std::string_view Replacement) const
{
    std::string text = Message();
    if (FSubjectAt != std::string::npos)
        text.replace(FSubjectAt, FSubject.size(), Replacement);
    return text;
}

EFOpenError::EFOpenError(const std::string &fileName)
    : Exception("Datei %s kann nicht geöffnet werden", fileName)
{
}

EFCreateError::EFCreateError(const std::string &fileName)
    : Exception("Datei %s kann nicht erstellt werden", fileName)
{
}

EReadError::EReadError() : Exception("Stream-Lesefehler") {}

EWriteError::EWriteError() : Exception("Stream-Schreibfehler") {}

ERangeError::ERangeError() : Exception("Fehler bei Bereichsprüfung") {}

EOutOfMemory::EOutOfMemory() : Exception("Zu wenig Arbeitsspeicher") {}

EPathError::EPathError(const std::string &entryName)
    : Exception("Eintrag %s liegt außerhalb des Zielordners", entryName)
{
}

EDataError::EDataError(const std::string &entryName)
    : Exception("Daten von %s sind beschädigt", entryName)
{
}

} // namespace trovel
