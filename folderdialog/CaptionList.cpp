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
    const QString &Line = FLines.at(Index);
    const qsizetype Equals = Line.indexOf(u'=');
    return Equals < 0 ? QString() : Line.left(Equals);
}

QString TCaptionList::Value(int Index) const
{
    const QString &Line = FLines.at(Index);
    const qsizetype Equals = Line.indexOf(u'=');
    return Equals < 0 ? QString() : Line.mid(Equals + 1);
}

QString TCaptionList::TextOf(const QStringList &Lines)
{
    QString Result;
    for (const QString &Line : Lines)
        Result += Line + u'\n';
    return Result;
}

} // namespace trovel
