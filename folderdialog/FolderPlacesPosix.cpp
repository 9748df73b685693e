// The desktop's places on Linux and other POSIX systems: the mount table
// tells the media.
#include "FolderPlaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <mntent.h>

#include <memory>

namespace trovel {

namespace {

// The media in the order they were mounted. Only the mount table is read for
// the others: a network share that no longer answers must not hold up the
// browser.
QList<TFolderPlace> MountedMedia()
{
    QList<TFolderPlace> media;
    const std::unique_ptr<FILE, int (*)(FILE *)> table(setmntent("/proc/self/mounts", "r"),
                                                       endmntent);
    if (!table)
        return media;
    mntent entry{};
    char buffer[4096];
    while (getmntent_r(table.get(), &entry, buffer, sizeof buffer)) {
        const QString root = QFile::decodeName(entry.mnt_dir);
        if (!IsMediaMount(root, entry.mnt_fsname) || !QFileInfo(root).isDir())
            continue;
        const QString label = QStorageInfo(root).name();
        media.append({root, label.isEmpty() ? FolderPlace(root).Name : label, TPlaceKind::Media});
    }
    return media;
}

} // namespace

QList<TFolderPlace> DesktopPlaces()
{
    QList<TFolderPlace> places;
    const auto add = [&places](const QString &Path, const QString &Name, TPlaceKind Kind) {
        for (const TFolderPlace &place : places) {
            if (place.Path == Path)
                return;
        }
        places.append({Path, Name, Kind});
    };

    const QString home = QDir::cleanPath(QDir::homePath());
    add(home, FolderPlace(home).Name, TPlaceKind::Home);
    add(QStringLiteral("/"), QStringLiteral("/"), TPlaceKind::FileSystem);
    const QString desktop =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        add(desktop, FolderPlace(desktop).Name, TPlaceKind::Desktop);

    for (const TFolderPlace &medium : MountedMedia())
        add(medium.Path, medium.Name, medium.Kind);
    return places;
}

} // namespace trovel
