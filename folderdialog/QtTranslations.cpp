#include "QtTranslations.h"

#include "VeskaFolderDialog.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace trovel {

bool InstallQtTranslations(const QLocale &Locale, QObject &Owner)
{
    if (!HasOwnCaptions(Locale))
        return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(Locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    translator.release()->setParent(&Owner);
    return true;
}

} // namespace trovel
