// Starts Trovel: one main window; the program ends when it is closed.
#include "Main.h"
#include "QtTranslations.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // The toolkit's own texts (standard buttons, file dialogs) in the user's
    // language, as the folder chooser's texts are.
    trovel::InstallQtTranslations(QLocale::system(), application);
    trovel::TfrmMain frmMain;
    QApplication::setWindowIcon(frmMain.windowIcon());
    frmMain.show();
    return application.exec();
}
