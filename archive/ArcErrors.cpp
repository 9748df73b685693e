#include "ArcErrors.h"

namespace trovel {

namespace {

// The messages keep one "%s" for the name; the name is inserted byte for byte.
std::string WithName(std::string_view Format, const std::string &Name)
{
    std::string text(Format);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, Name);
    return text;
}

} // namespace

Exception::Exception(std::string_view Format, const std::string &Subject)
    : std::runtime_error(WithName(Format, Subject)), FSubject(Subject),
      FSubjectAt(Format.find("%s"))
{
}

std::string Exception::MessageWith(std::string_view Replacement) const
{
    std::string text = Message();
    if (FSubjectAt != std::string::npos)
        text.replace(FSubjectAt, FSubject.size(), Replacement);
    return text;
}

EFOpenError::EFOpenError(const std::string &FileName)
    : Exception("Datei %s kann nicht geöffnet werden", FileName)
{
}

EFCreateError::EFCreateError(const std::string &FileName)
    : Exception("Datei %s kann nicht erstellt werden", FileName)
{
}

EReadError::EReadError() : Exception("Stream-Lesefehler") {}

EWriteError::EWriteError() : Exception("Stream-Schreibfehler") {}

ERangeError::ERangeError() : Exception("Fehler bei Bereichsprüfung") {}

EOutOfMemory::EOutOfMemory() : Exception("Zu wenig Arbeitsspeicher") {}

EPathError::EPathError(const std::string &EntryName)
    : Exception("Eintrag %s liegt außerhalb des Zielordners", EntryName)
{
}

EDataError::EDataError(const std::string &EntryName)
    : Exception("Daten von %s sind beschädigt", EntryName)
{
}

} // namespace trovel
