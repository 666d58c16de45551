#include "DesktopOpener.h"

// Linux and other free desktops: the freedesktop opener.

#include <QProcess>

namespace pellarin {

void OpenWithDesktop(const QString& path, std::function<void(bool opened)> done) {
    // xdg-open reports failure (no application for the type, a broken one) only by its exit
    // status, which can come late: some desktops return once the application has started,
    // others when it closes. The process has no parent, so quitting the program neither waits
    // for it nor ends the word processor it started.
    auto* opener = new QProcess;
    auto finish = [opener, done = std::move(done)](bool opened) {
        opener->disconnect();
        opener->deleteLater();
        if (done) done(opened);
    };
    QObject::connect(opener, &QProcess::finished, [finish](int exitCode, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && exitCode == 0);
    });
    QObject::connect(opener, &QProcess::errorOccurred, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) finish(false);
    });
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->start(QStringLiteral("xdg-open"), {path});
}

}  // namespace pellarin
