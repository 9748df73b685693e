#include "ShellFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace trovel {

namespace {

// The templates folder is one of the user's XDG directories that
// QStandardPaths does not know, so it is read from user-dirs.dirs directly:
// lines of the form XDG_TEMPLATES_DIR="$HOME/Vorlagen".
QString XdgTemplatesDir()
{
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile file(configDir + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString key = QStringLiteral("XDG_TEMPLATES_DIR=");
    QTextStream stream(&file);
    QString line;
    while (stream.readLineInto(&line)) {
        line = line.trimmed();
        if (!line.startsWith(key))
            continue;
        QString value = line.mid(key.size());
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(QStringLiteral("$HOME")))
            value.replace(0, 5, QDir::homePath());
        return value;
    }
    return {};
}

QString LocationOf(TSHFolders Folder)
{
    switch (Folder) {
    case foDesktop:
    case foDesktopFolder:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    case foPersonal:
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    case foPrograms:
    case foStartMenu:
        return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    case foFonts:
        return QStandardPaths::writableLocation(QStandardPaths::FontsLocation);
    case foTemplates:
        return XdgTemplatesDir();
    case foMyComputer:
        return QStringLiteral("/");
    default:
        return {};
    }
}

} // namespace

std::optional<QString> SpecialFolderLocation(TSHFolders Folder)
{
    const QString location = LocationOf(Folder);
    if (location.isEmpty() || !QFileInfo(location).isDir())
        return std::nullopt;
    return QDir::cleanPath(location);
}

} // namespace trovel
