#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace trovel {

// The folder at the top of the browse tree.
enum TSHFolders : std::uint8_t
{
    foDesktop,
    foDesktopExpanded, // no top folder: the desktop's places
    foPrograms,
    foControlPanel,
    foPrinters,
    foPersonal,
    foFavorites,
    foStartup,
    foRecent,
    foSendto,
    foRecycleBin,
    foStartMenu,
    foDesktopFolder,
    foMyComputer,
    foNetwork,
    foNetworkNeighborhood,
    foFonts,
    foTemplates,
};

// The existing directory that stands for Folder on this desktop: the user's
// desktop, documents, applications (for programs and the start menu), fonts or
// templates folder, or "/" for the computer. None for the folders this desktop
// does not have, and when the directory does not exist; the browse tree then
// shows the desktop's places.
std::optional<QString> SpecialFolderLocation(TSHFolders Folder);

} // namespace trovel
