#include <QApplication>

#include "ui/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellarin"));
    QApplication::setDesktopFileName(QStringLiteral("pellarin"));
    Form1 window;          // loading shows the splash and sets the initial values
    window.BeginStartUp(); // the main window appears when the splash's time is up
    return QApplication::exec();
}
