#include "ShortenPath.h"

namespace trovel {

QString ShortenPath(const QString &Path, int MaxLen, QChar Separator)
{
    if (Path.size() <= MaxLen || MaxLen < 6 || !Path.contains(Separator))
        return Path.left(MaxLen);
    // Too few folders after the head to leave any out.
    if (Path.mid(2).count(Separator) < 2)
        return Path.left(MaxLen);

    QString Rest = Path;
    QString Head;
    if (Separator == u'\\') {
        if (Rest.indexOf(Separator) < 2) {
            Head = QStringLiteral("\\\\");
            Rest.remove(0, 2);
        }
    } else if (Rest.startsWith(Separator)) {
        Head = Separator;
        Rest.remove(0, 1);
    }

    qsizetype P = Rest.indexOf(Separator) + 1;
    Head += Rest.left(P) + QStringLiteral("...");
    do {
        Rest.remove(0, P);
        P = Rest.indexOf(Separator) + 1;
    } while (Head.size() + Rest.size() + 1 > MaxLen && P != 0);

    const QString Result = Head + Separator + Rest;
    if (Result.size() <= MaxLen)
        return Result;
    return Result.left(MaxLen - 3) + QStringLiteral("...");
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

} // namespace trovel
