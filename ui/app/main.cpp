// Starts Trovel: one main window; the program ends when it is closed.
#include "Main.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    trovel::TfrmMain frmMain;
    QApplication::setWindowIcon(frmMain.windowIcon());
    frmMain.show();
    return application.exec();
}
