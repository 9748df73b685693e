#include "FolderBrowser.h"

#include <QDir>
#include <QFileInfo>

namespace trovel {

TBrowseItem TBrowseItem::FromPath(const QString &Path)
{
    const QString Clean = QDir::cleanPath(Path);
    const QString Name = QFileInfo(Clean).fileName();
    return {Clean, Name.isEmpty() ? Clean : Name};
}

} // namespace trovel
