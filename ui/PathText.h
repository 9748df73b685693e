#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace trovel {

// A path as the engine takes it: on POSIX the bytes the system takes (Qt's
// file name encoding); on Windows UTF-8 with the native separators, which the
// engine's file layer turns into the wide path the system takes.
inline std::string PathBytes(const QString &Path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(Path).toStdString();
#else
    return QFile::encodeName(Path).toStdString();
#endif
}

// The path the engine spells Bytes, as text.
inline QString PathText(std::string_view Bytes)
{
#ifdef Q_OS_WIN
    return QString::fromUtf8(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
#else
    return QFile::decodeName(QByteArray(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
#endif
}

} // namespace trovel
