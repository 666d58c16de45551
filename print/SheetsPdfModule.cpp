#include "SheetsPdfModule.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#include "SheetsPdf.h"
#include "export/DocumentWriter.h"

#ifdef _WIN32
#define PELLARIN_EXPORTED __declspec(dllexport)
#else
#define PELLARIN_EXPORTED __attribute__((visibility("default")))
#endif

extern "C" PELLARIN_EXPORTED int pellarin_write_sheets_pdf(const char* path, const char16_t* text, std::size_t length,
                                                           int answers, char* reason, std::size_t reasonSize) {
#ifndef Q_OS_WIN
    // The pages are drawn with the machine's fonts; no window is shown, so no display is needed.
    // (Windows always has its own platform, which is what knows the machine's fonts there.)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // Qt's own notes about the session (no runtime folder, and the like) are not the user's
    // business here; the tool says what went wrong itself.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "pellarin-sheets";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    try {
        sheets_pdf::Write(path, QString::fromUtf16(text, static_cast<qsizetype>(length)), answers != 0, false);
    } catch (const pellarin::DocumentError& e) {
        std::snprintf(reason, reasonSize, "%s", e.what());
        return 1;
    }
    return 0;
}
