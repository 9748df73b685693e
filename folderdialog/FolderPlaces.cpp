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
    QList<TFolderPlace> Media;
    const std::unique_ptr<FILE, int (*)(FILE *)> Table(setmntent("/proc/self/mounts", "r"),
                                                       endmntent);
    if (!Table)
        return Media;
    mntent Entry{};
    char Buffer[4096];
    while (getmntent_r(Table.get(), &Entry, Buffer, sizeof Buffer)) {
        const QString Root = QFile::decodeName(Entry.mnt_dir);
        if (!IsMediaMount(Root, Entry.mnt_fsname) || !QFileInfo(Root).isDir())
            continue;
        const QString Label = QStorageInfo(Root).name();
        Media.append({Root, Label.isEmpty() ? FolderPlace(Root).Name : Label, TPlaceKind::Media});
    }
    return Media;
}

} // namespace

bool IsSameOrBelow(const QString &Path, const QString &Folder)
{
    if (Folder == u'/')
        return Path.startsWith(u'/');
    return Path == Folder || Path.startsWith(Folder + u'/');
}

bool IsMediaMount(const QString &RootPath, const QByteArray &Device)
{
    if (!Device.startsWith("/dev/"))
        return false;
    return RootPath.startsWith(QStringLiteral("/media/")) ||
           RootPath.startsWith(QStringLiteral("/run/media/")) ||
           IsSameOrBelow(RootPath, QStringLiteral("/mnt"));
}

TFolderPlace FolderPlace(const QString &Path)
{
    const QString Clean = QDir::cleanPath(Path);
    const QString Name = QFileInfo(Clean).fileName();
    return {Clean, Name.isEmpty() ? Clean : Name, TPlaceKind::Folder};
}

QList<TFolderPlace> DesktopPlaces()
{
    QList<TFolderPlace> Places;
    const auto Add = [&Places](const QString &Path, const QString &Name, TPlaceKind Kind) {
        for (const TFolderPlace &Place : Places) {
            if (Place.Path == Path)
                return;
        }
        Places.append({Path, Name, Kind});
    };

    const QString Home = QDir::cleanPath(QDir::homePath());
    Add(Home, FolderPlace(Home).Name, TPlaceKind::Home);
    Add(QStringLiteral("/"), QStringLiteral("/"), TPlaceKind::FileSystem);
    const QString Desktop =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (!Desktop.isEmpty() && QFileInfo(Desktop).isDir())
        Add(Desktop, FolderPlace(Desktop).Name, TPlaceKind::Desktop);

    for (const TFolderPlace &Medium : MountedMedia())
        Add(Medium.Path, Medium.Name, Medium.Kind);
    return Places;
}

} // namespace trovel
