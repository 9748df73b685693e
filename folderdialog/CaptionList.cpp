#include "CaptionList.h"

namespace trovel {

void TCaptionList::SetLines(const QStringList &Lines)
{
    FLines = Lines;
    emit Changed();
}

void TCaptionList::Add(const QString &Line)
{
    FLines.append(Line);
    emit Changed();
}

void TCaptionList::Clear()
{
    if (FLines.isEmpty())
        return;
    FLines.clear();
    emit Changed();
}

QString TCaptionList::Name(int Index) const
{
    const QString &line = FLines.at(Index);
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? QString() : line.left(equals);
}

QString TCaptionList::Value(int Index) const
{
    const QString &line = FLines.at(Index);
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? QString() : line.mid(equals + 1);
}

QString TCaptionList::TextOf(const QStringList &Lines)
{
    QString result;
    for (const QString &line : Lines)
        result += line + u'\n';
    return result;
}

} // namespace trovel
