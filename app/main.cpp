#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "export/FilePlacement.h"
#include "pellarin_help.h"
#include "ui/ChineseTranslations.h"
#include "ui/Form1.h"

int main(int argc, char** argv) {
    // Answered before any window exists, so it works without a display too.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("pellarin " PELLARIN_VERSION);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelpText, stdout);
        return 0;
    }
    // A document cut off by a closed session or a polite kill leaves no private file behind.
    pellarin::InstallInterruptCleanUp();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellarin"));
    QApplication::setApplicationVersion(QStringLiteral(PELLARIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.pellarin.Pellarin"));
    InstallChineseTranslations();
    Form1 window;          // loading shows the splash and sets the initial values
    window.BeginStartUp(); // the main window appears when the splash's time is up
    // Scans named on the command line ("open with" from a file manager) are marked at once.
    const QStringList scans = QApplication::arguments().mid(1);
    if (!scans.isEmpty()) window.OpenScans(scans);
    return QApplication::exec();
}
