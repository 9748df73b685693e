#include "FolderPlaces.h"

#include <QDir>
#include <QFileInfo>

namespace trovel {

bool IsSameOrBelow(const QString &Path, const QString &Folder)
{
    // A root ("/", "C:/") ends in its separator.
    if (Folder.endsWith(u'/'))
        return Path.startsWith(Folder);
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
    const QString clean = QDir::cleanPath(Path);
    const QString name = QFileInfo(clean).fileName();
    return {clean, name.isEmpty() ? clean : name, TPlaceKind::Folder};
}

} // namespace trovel
