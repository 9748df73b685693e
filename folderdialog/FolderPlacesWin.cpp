// The places on Windows: the user's home, Desktop and Documents folders, then
// the drives that are ready, as the system's own folder browser lists them.
#include "FolderPlaces.h"

#include "KnownFolder.h"

#include <QDir>
#include <QFileInfo>

namespace trovel {

namespace {

// "Label (C:)" as Explorer names a drive, or "C:" when it has no label. A
// removable drive without a medium does not answer and is left out; a
// network drive is not asked, since a server that no longer answers must not
// hold up the browser.
QList<TFolderPlace> ReadyDrives()
{
    QList<TFolderPlace> drives;
    const DWORD present = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(present & (1u << letter)))
            continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', L'\0'};
        const UINT type = ::GetDriveTypeW(root);
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR)
            continue;
        const QString drive = QString::fromWCharArray(root, 2);
        wchar_t label[MAX_PATH + 1] = {};
        if (type != DRIVE_REMOTE && !::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr,
                                                             nullptr, nullptr, nullptr, 0))
            continue;
        const QString name = QString::fromWCharArray(label);
        drives.append({drive + u'/', name.isEmpty() ? drive : name + " (" + drive + ")",
                       type == DRIVE_FIXED ? TPlaceKind::FileSystem : TPlaceKind::Media});
    }
    return drives;
}

} // namespace

QList<TFolderPlace> DesktopPlaces()
{
    QList<TFolderPlace> places;
    const auto add = [&places](const QString &Path, TPlaceKind Kind) {
        if (Path.isEmpty() || !QFileInfo(Path).isDir())
            return;
        const QString clean = QDir::cleanPath(Path);
        for (const TFolderPlace &place : places) {
            if (place.Path.compare(clean, Qt::CaseInsensitive) == 0)
                return;
        }
        places.append({clean, FolderPlace(clean).Name, Kind});
    };

    add(QDir::homePath(), TPlaceKind::Home);
    add(KnownFolderPath(FOLDERID_Desktop).value_or(QString()), TPlaceKind::Desktop);
    add(KnownFolderPath(FOLDERID_Documents).value_or(QString()), TPlaceKind::Folder);
    places.append(ReadyDrives());
    return places;
}

} // namespace trovel
