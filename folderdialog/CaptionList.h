#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace trovel {

// A list of name=value lines that announces every change with one Changed()
// signal, emitted after the change is complete.
class TCaptionList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TCaptionList)

public:
    explicit TCaptionList(QObject *Parent = nullptr) : QObject(Parent) {}

    const QStringList &Lines() const { return FLines; }
    void SetLines(const QStringList &Lines);
    void Add(const QString &Line);
    void Clear();

    int Count() const { return int(FLines.size()); }
    // The part of a line before its first "=" (empty for a line without "="),
    // and the part after it.
    QString Name(int Index) const;
    QString Value(int Index) const;

    // The lines, each followed by a line break; two lists with the same text
    // hold the same captions.
    QString Text() const { return TextOf(FLines); }
    static QString TextOf(const QStringList &Lines);

signals:
    void Changed();

private:
    QStringList FLines;
};

} // namespace trovel
