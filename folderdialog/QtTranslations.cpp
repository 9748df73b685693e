#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace trovel {

bool InstallQtTranslations(const QLocale &Locale, QObject &Owner)
{
    auto Translator = std::make_unique<QTranslator>();
    if (!Translator->load(Locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(Translator.get());
    Translator.release()->setParent(&Owner);
    return true;
}

} // namespace trovel
