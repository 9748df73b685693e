// The special folders on Windows: the user's known folders. The virtual ones
// (the computer, control panel, printers, recycle bin, network) are no
// directory; the browse tree then shows the places, whose drives stand for
// the computer.
#include "ShellFolders.h"

#include "KnownFolder.h"

#include <QDir>
#include <QFileInfo>

namespace trovel {

namespace {

std::optional<QString> LocationOf(TSHFolders Folder)
{
    switch (Folder) {
    case foDesktop:
    case foDesktopFolder:
        return KnownFolderPath(FOLDERID_Desktop);
    case foPersonal:
        return KnownFolderPath(FOLDERID_Documents);
    case foPrograms:
        return KnownFolderPath(FOLDERID_Programs);
    case foStartMenu:
        return KnownFolderPath(FOLDERID_StartMenu);
    case foStartup:
        return KnownFolderPath(FOLDERID_Startup);
    case foFavorites:
        return KnownFolderPath(FOLDERID_Favorites);
    case foRecent:
        return KnownFolderPath(FOLDERID_Recent);
    case foSendto:
        return KnownFolderPath(FOLDERID_SendTo);
    case foFonts:
        return KnownFolderPath(FOLDERID_Fonts);
    case foTemplates:
        return KnownFolderPath(FOLDERID_Templates);
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<QString> SpecialFolderLocation(TSHFolders Folder)
{
    const std::optional<QString> location = LocationOf(Folder);
    if (!location || !QFileInfo(*location).isDir())
        return std::nullopt;
    return QDir::cleanPath(*location);
}

} // namespace trovel
