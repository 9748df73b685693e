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
    const QString ConfigDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile File(ConfigDir + QStringLiteral("/user-dirs.dirs"));
    if (!File.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString Key = QStringLiteral("XDG_TEMPLATES_DIR=");
    QTextStream Stream(&File);
    QString Line;
    while (Stream.readLineInto(&Line)) {
        Line = Line.trimmed();
        if (!Line.startsWith(Key))
            continue;
        QString Value = Line.mid(Key.size());
        if (Value.size() >= 2 && Value.startsWith(u'"') && Value.endsWith(u'"'))
            Value = Value.mid(1, Value.size() - 2);
        if (Value.startsWith(QStringLiteral("$HOME")))
            Value.replace(0, 5, QDir::homePath());
        return Value;
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
    const QString Location = LocationOf(Folder);
    if (Location.isEmpty() || !QFileInfo(Location).isDir())
        return std::nullopt;
    return QDir::cleanPath(Location);
}

} // namespace trovel
