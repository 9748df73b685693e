#include "MenuKeys.h"

#include <QAction>
#include <QWidget>

#include <cstring>
#include <optional>
#include <set>

namespace trovel {

namespace {

// The character after a single "&" ("&&" stands for a plain "&").
std::optional<QChar> AccessKeyOf(const QString &Caption)
{
    for (qsizetype i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != u'&')
            continue;
        if (Caption[i + 1] != u'&')
            return Caption[i + 1].toUpper();
        ++i;
    }
    return std::nullopt;
}

bool IsSeparator(const QString &Caption)
{
    return Caption.isEmpty() || Caption == u"-";
}

} // namespace

QStringList WithAccessKeys(const QStringList &Captions)
{
    std::set<char16_t> used;
    for (const QString &caption : Captions) {
        if (const auto key = AccessKeyOf(caption))
            used.insert(key->unicode());
    }
    QStringList result = Captions;
    for (QString &caption : result) {
        if (IsSeparator(caption) || AccessKeyOf(caption))
            continue;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar character = caption[i];
            if (!character.isLetterOrNumber() || used.count(character.toUpper().unicode()))
                continue;
            used.insert(character.toUpper().unicode());
            caption.insert(i, u'&');
            break;
        }
    }
    return result;
}

void AssignAccessKeys(QWidget *Menu)
{
    QList<QAction *> actions;
    QStringList captions;
    for (QAction *action : Menu->actions()) {
        if (action->isSeparator())
            continue;
        actions.append(action);
        captions.append(action->text());
    }
    const QStringList keyed = WithAccessKeys(captions);
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (actions[i]->text() != keyed[i])
            actions[i]->setText(keyed[i]);
    }
}

QString TShortcutTexts::translate(const char *Context, const char *SourceText,
                                  const char *Disambiguation, int Count) const
{
    (void)Disambiguation;
    (void)Count;
    if (Context && SourceText && std::strcmp(Context, "QShortcut") == 0 &&
        std::strcmp(SourceText, "Ctrl") == 0)
        return QStringLiteral("Strg");
    return {};
}

} // namespace trovel
