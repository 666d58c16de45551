#pragma once

#include <QGuiApplication>
#include <cstdio>

// The Qt application of a module that pellarin-sheets loads (the PDF writer, the marker of
// scans). No window is shown, so no display is needed: the offscreen platform, unless the user
// chose one. (Windows always has its own platform, which is what knows the machine's fonts
// there.) Qt's own notes about the session (no runtime folder, and the like) are not the
// user's business; the tool says what went wrong itself.
class ModuleApplication {
public:
    ModuleApplication() : m_app((Prepare(), s_argc), s_argv) {}

private:
    static void Prepare() {
#ifndef Q_OS_WIN
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
        });
    }

    static inline int s_argc = 1;
    static inline char s_name[] = "pellarin-sheets";
    static inline char* s_argv[] = {s_name, nullptr};
    QGuiApplication m_app;
};
