#pragma once

#include <QLocale>

class QObject;

namespace trovel {

// Installs Qt's own translations (the texts of standard buttons, input boxes,
// message boxes and file dialogs) for Locale's languages in the application;
// Owner owns the translator, and destroying it uninstalls them. Only a
// language in which the folder chooser has captions of its own is installed,
// so that no dialog speaks two languages: False, and Qt stays English, for
// any other, or when Qt has no translations for it.
bool InstallQtTranslations(const QLocale &Locale, QObject &Owner);

} // namespace trovel
