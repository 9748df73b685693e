#include "FolderBrowser.h"

#include <QDir>
#include <QFileInfo>

namespace trovel {

TBrowseItem TBrowseItem::FromPath(const QString &Path)
{
    const QString clean = QDir::cleanPath(Path);
    const QString name = QFileInfo(clean).fileName();
    return {clean, name.isEmpty() ? clean : name};
}

} // namespace trovel
