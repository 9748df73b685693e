#pragma once

#include <QLocale>

class QObject;

namespace trovel {

// Installs Qt's own translations (the texts of standard buttons, input boxes,
// message boxes and file dialogs) for Locale's languages in the application;
// Owner owns the translator, and destroying it uninstalls them. False when Qt
// has no translations for those languages.
bool InstallQtTranslations(const QLocale &Locale, QObject &Owner);

} // namespace trovel
