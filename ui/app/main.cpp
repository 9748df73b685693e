// Starts Trovel: one main window; the program ends when it is closed.
#include "Main.h"
#include "QtTranslations.h"

#include <QApplication>
#include <QIcon>
#include <csignal>

int main(int argc, char **argv)
{
#ifdef SIGPIPE
    // A FIFO chosen as the output file whose reader goes away gives a write
    // error on the screen, not the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QApplication application(argc, argv);
    // Docks and software centres match the window to its desktop entry by
    // this name (the Wayland app id; X11 goes by the entry's StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral(TROVEL_APP_ID));
    // The toolkit's own texts (standard buttons, file dialogs) in the user's
    // language, as the folder chooser's texts are.
    trovel::InstallQtTranslations(QLocale::system(), application);
    trovel::TfrmMain frmMain;
    QApplication::setWindowIcon(frmMain.windowIcon());
    frmMain.show();
    return application.exec();
}
