#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace trovel {

enum class TPlaceKind
{
    Home,
    FileSystem,
    Desktop,
    Media,
    Folder, // a top folder given by the client
};

// A folder at the top level of the browse tree.
struct TFolderPlace
{
    QString Path;
    QString Name;
    TPlaceKind Kind = TPlaceKind::Folder;

    friend bool operator==(const TFolderPlace &, const TFolderPlace &) = default;
};

// The places a user of this desktop starts from: the home folder, the file
// system "/", the desktop folder when it exists and is not the home folder
// itself, then the mounted media. Each place is named by its folder's own name
// (a medium by its label), so the names need no translation.
QList<TFolderPlace> DesktopPlaces();

// The place of one existing top folder, named by its last name.
TFolderPlace FolderPlace(const QString &Path);

// Whether a mounted volume is a medium the user plugged in or mounted: a block
// device mounted below /media or /run/media (where desktops mount removable
// drives) or at or below /mnt. Pseudo file systems and bind mounts there have
// no device below /dev and are left out.
bool IsMediaMount(const QString &RootPath, const QByteArray &Device);

// Whether Path is Folder or lies below it (both clean absolute paths).
bool IsSameOrBelow(const QString &Path, const QString &Folder);

} // namespace trovel
