#include "ShortenPath.h"

#include <QDir>

namespace trovel {

QString ShortenPath(const QString &Path, int MaxLen, QChar Separator)
{
    if (Path.size() <= MaxLen || MaxLen < 6 || !Path.contains(Separator))
        return Path.left(MaxLen);
    // Too few folders after the head to leave any out.
    if (Path.mid(2).count(Separator) < 2)
        return Path.left(MaxLen);

    QString rest = Path;
    QString head;
    if (Separator == u'\\') {
        if (rest.indexOf(Separator) < 2) {
            head = QStringLiteral("\\\\");
            rest.remove(0, 2);
        }
    } else if (rest.startsWith(Separator)) {
        head = Separator;
        rest.remove(0, 1);
    }

    qsizetype p = rest.indexOf(Separator) + 1;
    head += rest.left(p) + QStringLiteral("...");
    do {
        rest.remove(0, p);
        p = rest.indexOf(Separator) + 1;
    } while (head.size() + rest.size() + 1 > MaxLen && p != 0);

    const QString result = head + Separator + rest;
    if (result.size() <= MaxLen)
        return result;
    return result.left(MaxLen - 3) + QStringLiteral("...");
}

QString WithHomeAsTilde(const QString &Path, const QString &Home)
{
    if (Home.isEmpty() || Home == u'/')
        return Path;
    if (Path == Home)
        return QStringLiteral("~");
    if (Path.startsWith(Home + u'/'))
        return u'~' + Path.mid(Home.size());
    return Path;
}

QString StatusPath(const QString &Path, int MaxLen)
{
#ifdef Q_OS_WIN
    return ShortenPath(QDir::toNativeSeparators(Path), MaxLen, u'\\');
#else
    return ShortenPath(WithHomeAsTilde(Path, QDir::homePath()), MaxLen, u'/');
#endif
}

} // namespace trovel
