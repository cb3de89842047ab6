// Quarnix: opens the main window and runs until the last window has closed.
// The program takes no arguments and reads no settings.

#include <QApplication>

#include "engine/product.h"
#include "frm_main.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf16(quarnix::ProductName));

    quarnix::FrmMain window;
    window.show();
    return QApplication::exec();
}
